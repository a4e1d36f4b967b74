#include "platform/win32/event_loop.h"
#include "platform/win32/process_setup.h"
#include "startup/module1.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    PrepareProcess();
    RunEventLoop(Main());
}
