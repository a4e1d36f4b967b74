#include "platform/win32/event_loop.h"
#include "platform/win32/process_setup.h"
#include "platform/win32/user_session.h"
#include "startup/module1.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    PrepareProcess();
    DialogWindow& dialog = Main();
    RunEventLoop(dialog, WaitingProcessToWatch());
}
