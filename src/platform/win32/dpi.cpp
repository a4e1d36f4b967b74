#include "platform/win32/dpi.h"

#include "platform/win32/system_functions.h"
#include "platform/win32/win32_handles.h"

namespace {

int SystemDpi() {
    const ScreenDc screen;
    const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : kDefaultDpi;
    return dpi > 0 ? dpi : kDefaultDpi;
}

// Windows scales the caption and the frame with the window's DPI only for
// per-monitor awareness version 2 (Windows 10 1703 and later). Under
// version 1, all that Windows 8.1 to 10 1607 know, they keep the system
// DPI's size on every monitor, which AdjustWindowRectEx gives: measured at
// the monitor's DPI they would make the client area too small or too large.
bool IsFrameScaledWithDpi() {
    const auto getContext = User32().getThreadDpiAwarenessContext;
    const auto areEqual = User32().areDpiAwarenessContextsEqual;
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    return getContext != nullptr && areEqual != nullptr && areEqual(getContext(), perMonitorV2);
}

} // namespace

int DpiOfWindow(HWND window) {
    const auto getDpiForWindow = User32().getDpiForWindow;
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

RECT OuterRectForClient(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
    const auto adjustForDpi = User32().adjustWindowRectExForDpi;
    RECT outer = client;
    if (adjustForDpi == nullptr || !IsFrameScaledWithDpi() ||
        !adjustForDpi(&outer, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        outer = client;
        AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    }
    return outer;
}
