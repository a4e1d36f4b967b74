#include "platform/win32/process_setup.h"

#include "platform/win32/failure_handling.h"
#include "platform/win32/system_functions.h"

#include <windows.h>

#include <commctrl.h>

namespace {

// DLLs that load later (themes, common controls) come from System32 only,
// never from the current or the program's folder.
void RestrictDllSearch() {
    if (Kernel32().setDefaultDllDirectories != nullptr) {
        Kernel32().setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
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
