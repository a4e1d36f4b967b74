#pragma once

class DialogWindow;

// The program's start-up: reads the command line and loads the choice
// dialog; then either shows the dialog and returns it, for the event loop
// that runs after it, or shows the usage message and ends the process with
// exit code 11.
DialogWindow& Main();
