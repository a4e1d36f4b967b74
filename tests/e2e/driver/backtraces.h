#pragma once

#include <windows.h>

#include <string>

// What every thread of a live process is doing, as winedbg's backtraces: a
// process that does not end is killed, and this is what is left of it. Under
// Wine only; elsewhere it says that winedbg did not start.
std::wstring ThreadBacktraces(DWORD processId);
