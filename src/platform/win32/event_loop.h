#pragma once

#include <windows.h>

class DialogWindow;

// Runs the event loop for the shown dialog for as long as the process lives;
// one of the dialog's handlers ends the process, or the end of `watched`,
// when it is not null.
[[noreturn]] void RunEventLoop(DialogWindow& dialog, HANDLE watched);
