#include "platform/win32/process.h"

#include "platform/command_line_tail.h"
#include "platform/win32/first_show.h"
#include "platform/win32/user_session.h"
#include "startup/unseen_run.h"
#include "startup/usage_text.h"

#include <windows.h>

std::wstring ProcessCommandLineTail() {
    return std::wstring(CommandLineTail(GetCommandLineW()));
}

void ShowUsageBox(const std::wstring& text) {
    // On this path the box is the program's first window, so the launcher's
    // show command may be applied to it: hidden, it would never be answered.
    const UINT_PTR correction = CorrectFirstShowOfMessageBox();
    MessageBoxW(nullptr, text.c_str(), kAppTitle, MB_OK | MB_SETFOREGROUND);
    KillTimer(nullptr, correction);
}

void EndProcess(unsigned exitCode) {
    // Only a copy that really has a process waiting for it marks its code;
    // a stray variable must not change what a script reads.
    ExitProcess(WaitingProcessToWatch() != nullptr ? CopyExitCode(exitCode) : exitCode);
}
