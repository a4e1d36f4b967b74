#include "platform/win32/window_station.h"

#include "platform/win32/win32_handles.h"

#include <windows.h>

#include <optional>

namespace {

// The session of the process, from its token: unlike ProcessIdToSessionId,
// which opens the process with PROCESS_QUERY_INFORMATION, this needs only
// TOKEN_QUERY, which even a restricted token allows.
std::optional<DWORD> SessionOfThisProcess() {
    DWORD session = 0;
    DWORD size = 0;
    // The pseudo handle of the process token (GetCurrentProcessToken),
    // Windows 8 and later; Windows 7 refuses it, and the token is opened.
    const HANDLE currentProcessToken = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
    if (GetTokenInformation(currentProcessToken, TokenSessionId, &session, sizeof session, &size)) {
        return session;
    }
    UniqueHandle token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
        GetTokenInformation(token.get(), TokenSessionId, &session, sizeof session, &size)) {
        return session;
    }
    return std::nullopt;
}

} // namespace

bool CanWindowsBeSeen() {
    if (SessionOfThisProcess() == DWORD{0}) {
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
