#include "platform/process.h"
#include "platform/process_setup.h"
#include "startup/module1.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    PrepareProcess();
    Main();
    RunEventLoop();
}
