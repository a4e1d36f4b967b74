#include "platform/win32/failure_handling.h"

#include <windows.h>

#include <cstdint>

// The stack protector's canary and failure routine, here rather than from
// libssp: libssp sets its canary up before wWinMain through the Crypto API,
// which loads further DLLs before the DLL search is restricted.
extern "C" {
std::uintptr_t __stack_chk_guard = 0x2B992DDFA23249D6;

// A smashed stack ends the process at once with the error code, running
// nothing more in the damaged process.
[[noreturn]] void __stack_chk_fail() {
    EndAfterFailure();
}
}

namespace {

// Runs before any protected function, like MSVC's security cookie set-up,
// and mixes the same sources: time, counters, ids and, through ASLR, an
// address on the stack.
__attribute__((constructor(101), no_stack_protector)) void SetUpStackGuard() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    std::uintptr_t guard = (static_cast<std::uintptr_t>(now.dwHighDateTime) << 32) ^
                           now.dwLowDateTime ^ GetCurrentProcessId() ^
                           (static_cast<std::uintptr_t>(GetCurrentThreadId()) << 16) ^
                           GetTickCount64() ^ static_cast<std::uintptr_t>(counter.QuadPart) ^
                           (static_cast<std::uintptr_t>(counter.QuadPart) << 32) ^
                           reinterpret_cast<std::uintptr_t>(&counter);
    // Keep a zero byte in it, so that string overflows cannot copy it.
    guard &= ~static_cast<std::uintptr_t>(0xFF);
    __stack_chk_guard = guard != 0 ? guard : 0x2B992DDFA2324900;
}

} // namespace
