// Fails on purpose, in the way its command line names, after the same
// preparation of the process as Tolvane.exe: the tests check that every kind
// of failure ends it with the error code and shows no window.
#include "platform/command_line_tail.h"
#include "platform/win32/process_setup.h"

#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <exception>
#include <string_view>

namespace {

// Volatile, so that the compiler can neither see the failures coming nor
// leave them out.
volatile int* volatile nowhere = nullptr;
volatile int depthLimit = 1 << 30;

// Every byte of the frame is written, so that no compiler keeps it smaller
// than asked: the overflow must come with frames of a real size.
int Recurse(int depth) {
    volatile char frame[4096];
    for (volatile char& byte : frame) {
        byte = static_cast<char>(depth);
    }
    return depth < depthLimit ? Recurse(depth + 1) + frame[0] : 0;
}

// A local array makes the stack protector guard this function, which checks
// its canary when it returns; it is called through a pointer, so that it is
// not inlined into a caller that never returns.
void OverrunBuffer(std::size_t length) {
    char buffer[16];
    volatile char* bytes = buffer;
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = 'x';
    }
}

void Throw() {
    throw 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    PrepareProcess();
    const std::wstring_view how = CommandLineTail(GetCommandLineW());
    if (how == L"access-violation") {
        *nowhere = 1;
    } else if (how == L"stack-overflow") {
        Recurse(0);
    } else if (how == L"stack-overrun") {
        void (*volatile overrun)(std::size_t) = OverrunBuffer;
        overrun(256);
    } else if (how == L"terminate") {
        std::terminate();
    } else if (how == L"abort") {
        std::abort();
    } else if (how == L"uncaught-exception") {
        Throw();
    }
    ExitProcess(0);
}
