#pragma once

// A failure that the program cannot handle (a crash, a smashed stack, an
// abort, memory running out) ends the process at once with the error code
// 11, with no error box. Left to the system it would end with an exception
// code that an IF ERRORLEVEL ladder reads as a cancel, or with abort's 3,
// the third option; and on a desktop Windows Error Reporting would keep an
// unattended script waiting until someone dismissed its box.
void InstallFailureHandlers();

// Ends the process at once with the error code, running nothing more in it.
[[noreturn]] void EndAfterFailure() noexcept;
