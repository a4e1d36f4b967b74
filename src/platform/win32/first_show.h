#pragma once

#include "platform/show_state.h"

#include <windows.h>

// Windows applies the show command of the launcher's STARTUPINFO to the
// first ShowWindow of what it takes for the program's main window (start
// /min or /max, a shortcut set to minimized or maximized, a hidden
// PowerShell window, a scheduled task), so that a window can come up hidden
// or maximized however the program shows it. The program's windows correct
// their own first show to the state InitialShowState() accepts; the launcher's
// command is applied only once, so the correction holds.

// The state in which the program's windows must first appear.
ShowState WantedFirstShowState();

// Shows the window for the first time in that state; returns the state.
ShowState ShowFirstTime(HWND window);

// Corrects the first show of the message box that the calling thread is
// about to show in a modal loop of its own, from a thread timer that runs in
// that loop. Returns the timer, for KillTimer(nullptr, ...) once the box has
// gone.
UINT_PTR CorrectFirstShowOfMessageBox();
