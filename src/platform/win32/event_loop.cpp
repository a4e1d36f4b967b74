#include "platform/win32/event_loop.h"

#include "platform/win32/dialog_window.h"
#include "platform/win32/process.h"
#include "startup/exit_codes.h"

void RunEventLoop(DialogWindow& dialog, HANDLE watched) {
    // The watched process is waited for on this same thread, between the
    // messages: when it ends, nobody is left to read the answer, and the
    // question leaves the screen at once.
    const DWORD handles = watched != nullptr ? 1 : 0;
    MSG msg{};
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjectsEx(handles, &watched, INFINITE, QS_ALLINPUT,
                                                        MWMO_INPUTAVAILABLE);
        if (handles == 1 && woken == WAIT_OBJECT_0) {
            EndProcess(exit_code::kCancelled);
        }
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // The program posts no WM_QUIT; one sent from outside closes the
            // dialog.
            if (msg.message == WM_QUIT) {
                EndProcess(exit_code::kCancelled);
            }
            if (dialog.PreTranslateMessage(msg)) {
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
