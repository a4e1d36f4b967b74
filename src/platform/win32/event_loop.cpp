#include "platform/win32/event_loop.h"

#include "platform/win32/dialog_window.h"
#include "platform/win32/process.h"
#include "startup/exit_codes.h"

#include <windows.h>

void RunEventLoop(DialogWindow& dialog) {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (dialog.PreTranslateMessage(msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The program posts no WM_QUIT; one sent from outside closes the dialog.
    EndProcess(exit_code::kCancelled);
}
