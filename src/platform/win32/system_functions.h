#pragma once

#include <windows.h>

#include <oleacc.h>
#include <userenv.h>
#include <wtsapi32.h>

#include <cstdint>

// Every Windows function that the program finds at run time instead of
// importing it: those that the oldest Windows it runs on lacks, and those of
// DLLs that only some runs need. Such DLLs load only then, by their full
// path in System32, never from the program's or the current folder. A
// pointer is null where Windows has no such function.

struct Kernel32Functions {
    // Windows 8, and 7 with update KB2533623.
    BOOL(WINAPI* setDefaultDllDirectories)(DWORD) = nullptr;
    HRESULT(WINAPI* werSetFlags)(DWORD) = nullptr;
};
const Kernel32Functions& Kernel32();

// Windows 10: 1607 for the DPI of a window, 1703 for the dialog's DPI
// behaviour.
struct User32Functions {
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    HANDLE(WINAPI* getThreadDpiAwarenessContext)() = nullptr;
    BOOL(WINAPI* areDpiAwarenessContextsEqual)(HANDLE, HANDLE) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* setDialogDpiChangeBehavior)(HWND, int, int) = nullptr;
};
const User32Functions& User32();

// The handlers of the C run-time that the program uses. MinGW-w64's msvcrt
// import library gives local stand-ins for some of these that nothing ever
// calls, so msvcrt.dll's own exports are taken where it has them; with the
// Universal C run-time the linked functions are the real ones.
using InvalidParameterHandler = void (*)(const wchar_t*, const wchar_t*, const wchar_t*, unsigned,
                                         std::uintptr_t);
using PureCallHandler = void (*)();
struct CrtFunctions {
    InvalidParameterHandler (*setInvalidParameterHandler)(InvalidParameterHandler) = nullptr;
    PureCallHandler (*setPurecallHandler)(PureCallHandler) = nullptr;
    int (*setErrorMode)(int) = nullptr;
    unsigned (*setAbortBehavior)(unsigned, unsigned) = nullptr;
};
const CrtFunctions& Crt();

// oleacc, oleaut32 and ole32, loaded when a screen reader first asks.
struct AccessibilityFunctions {
    HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
    HRESULT(WINAPI* windowFromAccessibleObject)(IAccessible*, HWND*) = nullptr;
    BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
    HRESULT(WINAPI* loadRegTypeLib)(REFGUID, WORD, WORD, LCID, ITypeLib**) = nullptr;
    HRESULT(WINAPI* coInitializeEx)(LPVOID, DWORD) = nullptr;
    HRESULT(WINAPI* coCreateInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*) = nullptr;
};
// Null while any of them is missing; loading is tried again at the next call.
const AccessibilityFunctions* Accessibility();

// wtsapi32 and userenv, loaded only to ask the user of another session.
struct SessionFunctions {
    BOOL(WINAPI* wtsEnumerateSessions)(HANDLE, DWORD, DWORD, WTS_SESSION_INFOW**, DWORD*) = nullptr;
    void(WINAPI* wtsFreeMemory)(void*) = nullptr;
    BOOL(WINAPI* wtsQueryUserToken)(ULONG, HANDLE*) = nullptr;
    BOOL(WINAPI* createEnvironmentBlock)(void**, HANDLE, BOOL) = nullptr;
    BOOL(WINAPI* destroyEnvironmentBlock)(void*) = nullptr;
};
// Null when any of them is missing.
const SessionFunctions* Sessions();
