#pragma once

// The program's start-up: reads the command line, loads the choice dialog and
// either shows it and returns, or shows the usage message and ends the
// process with exit code 11.
void Main();
