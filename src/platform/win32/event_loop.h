#pragma once

class DialogWindow;

// Runs the event loop for the shown dialog for as long as the process lives;
// one of the dialog's handlers ends the process.
[[noreturn]] void RunEventLoop(DialogWindow& dialog);
