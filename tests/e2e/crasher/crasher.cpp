// Fails on purpose, in the way its command line names, after the same
// preparation of the process as Tolvane.exe: the tests check that every kind
// of failure ends it with the error code and shows no window.
#include "platform/command_line_tail.h"
#include "platform/win32/process_setup.h"

#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <cwchar>
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

// The same block freed twice: with the process heap set to end the process
// on corruption, as every 64-bit process on Windows is.
void CorruptHeap() {
    const HANDLE heap = GetProcessHeap();
    HeapSetInformation(heap, HeapEnableTerminationOnCorruption, nullptr, 0);
    void* volatile block = HeapAlloc(heap, 0, 64);
    HeapFree(heap, 0, block);
    HeapFree(heap, 0, block);
}

void CALLBACK FailInTimer(HWND, UINT, UINT_PTR, DWORD) {
    *nowhere = 1;
}

// An access violation in a timer callback, which Windows swallows unless
// the process has said otherwise; the loop ends after a while either way.
void FailInTimerCallback() {
    SetTimer(nullptr, 0, 10, FailInTimer);
    const ULONGLONG end = GetTickCount64() + 2000;
    MSG msg;
    while (GetTickCount64() < end && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
}

constexpr UINT kNoHandlerInRuntime = 0xC0000139; // STATUS_ENTRYPOINT_NOT_FOUND

// Any exception ends the process with its own code from here on, so that
// only the run-time's handler gives the error code.
LONG WINAPI EndWithExceptionCode(EXCEPTION_POINTERS* failure) {
    TerminateProcess(GetCurrentProcess(), failure->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

// A null destination, which msvcrt.dll's own wcscpy_s checks: the handler
// must be the DLL's.
void PassInvalidParameter() {
    SetUnhandledExceptionFilter(EndWithExceptionCode);
    const HMODULE msvcrt = GetModuleHandleW(L"msvcrt.dll");
    // Wine's msvcrt.dll has no handler to set; Windows' has.
    if (GetProcAddress(msvcrt, "_set_invalid_parameter_handler") == nullptr) {
        ExitProcess(kNoHandlerInRuntime);
    }
    using WcscpyS = int (*)(wchar_t*, std::size_t, const wchar_t*);
    reinterpret_cast<WcscpyS>(reinterpret_cast<void*>(GetProcAddress(msvcrt, "wcscpy_s")))(nullptr,
                                                                                           0, L"");
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
    } else if (how == L"heap-corruption") {
        CorruptHeap();
    } else if (how == L"invalid-parameter") {
        PassInvalidParameter();
    } else if (how == L"timer-exception") {
        FailInTimerCallback();
    }
    ExitProcess(0);
}
