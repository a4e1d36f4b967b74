#include "platform/win32/dpi.h"

namespace {

template <typename Function> Function User32Function(const char* name) {
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kDefaultDpi;
}

// Windows scales the caption and the frame with the window's DPI only for
// per-monitor awareness version 2 (Windows 10 1703 and later). Under
// version 1, all that Windows 8.1 to 10 1607 know, they keep the system
// DPI's size on every monitor, which AdjustWindowRectEx gives: measured at
// the monitor's DPI they would make the client area too small or too large.
bool IsFrameScaledWithDpi() {
    using GetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)();
    using AreDpiAwarenessContextsEqualFn = BOOL(WINAPI*)(HANDLE, HANDLE);
    static const auto getContext =
        User32Function<GetThreadDpiAwarenessContextFn>("GetThreadDpiAwarenessContext");
    static const auto areEqual =
        User32Function<AreDpiAwarenessContextsEqualFn>("AreDpiAwarenessContextsEqual");
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    return getContext != nullptr && areEqual != nullptr && areEqual(getContext(), perMonitorV2);
}

} // namespace

int DpiOfWindow(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

RECT OuterRectForClient(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT outer = client;
    if (adjustForDpi == nullptr || !IsFrameScaledWithDpi() ||
        !adjustForDpi(&outer, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        outer = client;
        AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    }
    return outer;
}
