#include "platform/win32/process_setup.h"

#include "platform/win32/failure_handling.h"

#include <windows.h>

#include <commctrl.h>

namespace {

// DLLs that load later (themes, common controls) come from System32 only,
// never from the current or the program's folder.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories != nullptr) {
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

} // namespace

void PrepareProcess() {
    RestrictDllSearch();
    InstallFailureHandlers();
    // Version 6 of the common controls, named in the manifest, draws the
    // controls in the current visual style.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}
