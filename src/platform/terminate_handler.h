#pragma once

// Makes a failure that the program cannot handle (memory running out) end the
// process with the error code 11 rather than abort's 3, which a script would
// take for the third option.
void InstallTerminateHandler();
