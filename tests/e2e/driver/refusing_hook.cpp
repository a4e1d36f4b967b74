// A CBT hook that refuses to create one control of the program under test,
// as any other program's hook may. The driver sets it for its whole desktop,
// so Windows loads this DLL into every process that creates a window; it
// refuses only in Tolvane.exe, the child window whose id the driver put in
// TOLVANE_REFUSED_CONTROL, which that process inherits.
#include <windows.h>

#include <cwchar>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    RefuseControl(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTW* window = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        wchar_t id[16] = {};
        wchar_t exe[MAX_PATH] = {};
        if ((window->style & WS_CHILD) != 0 &&
            GetEnvironmentVariableW(L"TOLVANE_REFUSED_CONTROL", id, 16) > 0 &&
            GetModuleFileNameW(nullptr, exe, MAX_PATH) > 0 &&
            std::wcsstr(exe, L"Tolvane.exe") != nullptr &&
            reinterpret_cast<INT_PTR>(window->hMenu) == std::wcstol(id, nullptr, 10)) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
