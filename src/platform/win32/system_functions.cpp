#include "platform/win32/system_functions.h"

#include <cstdlib>
#include <string>

namespace {

template <typename Fn> void Take(Fn& function, HMODULE module, const char* name) {
    function = module == nullptr
                   ? nullptr
                   : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// By its full path in System32, on every version of Windows: a bare name
// would be looked for in the program's folder first where the DLL search is
// not restricted (Windows 7 without KB2533623).
HMODULE LoadSystemDll(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    std::wstring path(folder, length);
    path += L'\\';
    path += name;
    return LoadLibraryW(path.c_str());
}

} // namespace

const Kernel32Functions& Kernel32() {
    static const Kernel32Functions functions = [] {
        const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        Kernel32Functions f;
        Take(f.setDefaultDllDirectories, kernel32, "SetDefaultDllDirectories");
        Take(f.werSetFlags, kernel32, "WerSetFlags");
        return f;
    }();
    return functions;
}

const User32Functions& User32() {
    static const User32Functions functions = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        User32Functions f;
        Take(f.getDpiForWindow, user32, "GetDpiForWindow");
        Take(f.getThreadDpiAwarenessContext, user32, "GetThreadDpiAwarenessContext");
        Take(f.areDpiAwarenessContextsEqual, user32, "AreDpiAwarenessContextsEqual");
        Take(f.adjustWindowRectExForDpi, user32, "AdjustWindowRectExForDpi");
        Take(f.setDialogDpiChangeBehavior, user32, "SetDialogDpiChangeBehavior");
        return f;
    }();
    return functions;
}

const CrtFunctions& Crt() {
    static const CrtFunctions functions = [] {
        CrtFunctions f;
#if defined(__MINGW32__) && !defined(_UCRT)
        // msvcrt.dll is imported, so it is loaded already.
        const HMODULE msvcrt = GetModuleHandleW(L"msvcrt.dll");
        Take(f.setInvalidParameterHandler, msvcrt, "_set_invalid_parameter_handler");
        Take(f.setPurecallHandler, msvcrt, "_set_purecall_handler");
        Take(f.setErrorMode, msvcrt, "_set_error_mode");
        Take(f.setAbortBehavior, msvcrt, "_set_abort_behavior");
#else
        f.setInvalidParameterHandler = _set_invalid_parameter_handler;
        f.setPurecallHandler = _set_purecall_handler;
        f.setErrorMode = _set_error_mode;
        f.setAbortBehavior = _set_abort_behavior;
#endif
        return f;
    }();
    return functions;
}

const AccessibilityFunctions* Accessibility() {
    static AccessibilityFunctions functions;
    static bool complete = false;
    if (!complete) {
        const HMODULE oleacc = LoadSystemDll(L"oleacc.dll");
        const HMODULE oleaut32 = LoadSystemDll(L"oleaut32.dll");
        const HMODULE ole32 = LoadSystemDll(L"ole32.dll");
        AccessibilityFunctions& f = functions;
        Take(f.createStdAccessibleObject, oleacc, "CreateStdAccessibleObject");
        Take(f.lresultFromObject, oleacc, "LresultFromObject");
        Take(f.windowFromAccessibleObject, oleacc, "WindowFromAccessibleObject");
        Take(f.sysAllocStringLen, oleaut32, "SysAllocStringLen");
        Take(f.loadRegTypeLib, oleaut32, "LoadRegTypeLib");
        Take(f.coInitializeEx, ole32, "CoInitializeEx");
        Take(f.coCreateInstance, ole32, "CoCreateInstance");
        complete = f.createStdAccessibleObject != nullptr && f.lresultFromObject != nullptr &&
                   f.windowFromAccessibleObject != nullptr && f.sysAllocStringLen != nullptr &&
                   f.loadRegTypeLib != nullptr && f.coInitializeEx != nullptr &&
                   f.coCreateInstance != nullptr;
    }
    return complete ? &functions : nullptr;
}

const SessionFunctions* Sessions() {
    static const SessionFunctions functions = [] {
        const HMODULE wtsapi32 = LoadSystemDll(L"wtsapi32.dll");
        const HMODULE userenv = LoadSystemDll(L"userenv.dll");
        SessionFunctions f;
        Take(f.wtsEnumerateSessions, wtsapi32, "WTSEnumerateSessionsW");
        Take(f.wtsFreeMemory, wtsapi32, "WTSFreeMemory");
        Take(f.wtsQueryUserToken, wtsapi32, "WTSQueryUserToken");
        Take(f.createEnvironmentBlock, userenv, "CreateEnvironmentBlock");
        Take(f.destroyEnvironmentBlock, userenv, "DestroyEnvironmentBlock");
        return f;
    }();
    const SessionFunctions& f = functions;
    const bool complete = f.wtsEnumerateSessions != nullptr && f.wtsFreeMemory != nullptr &&
                          f.wtsQueryUserToken != nullptr && f.createEnvironmentBlock != nullptr &&
                          f.destroyEnvironmentBlock != nullptr;
    return complete ? &functions : nullptr;
}
