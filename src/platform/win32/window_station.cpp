#include "platform/win32/window_station.h"

#include <windows.h>

bool CanWindowsBeSeen() {
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) {
        return false;
    }
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    // When Windows cannot tell, the window is shown as on any desktop: a
    // wrong guess the other way would end every run with the error code.
    if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   &needed)) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}
