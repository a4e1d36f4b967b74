#pragma once

#include <windows.h>

// DPI services that exist only on newer Windows, with the system-wide
// fallback for older versions (the program still runs on Windows 7).
inline constexpr int kDefaultDpi = 96;

int DpiOfWindow(HWND window);
// The outer window rectangle for a client rectangle at `dpi`.
RECT OuterRectForClient(const RECT& client, DWORD style, DWORD exStyle, int dpi);
