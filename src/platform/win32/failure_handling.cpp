#include "platform/win32/failure_handling.h"

#include "platform/win32/system_functions.h"
#include "startup/exit_codes.h"

#include <windows.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <exception>

namespace {

// Room for the filter to run in when the failure is a stack overflow.
constexpr ULONG kStackKeptForFailures = 16 * 1024;

LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS*) {
    EndAfterFailure();
}

void EndOnAbort(int) {
    EndAfterFailure();
}

void EndOnInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned,
                           std::uintptr_t) {
    EndAfterFailure();
}

void EndOnPureCall() {
    EndAfterFailure();
}

// Heap corruption, __fastfail and a failed /GS check end the process at
// once without the exception filter; Windows Error Reporting then queues
// its report instead of showing a box that nobody may be there to close.
void KeepErrorReportingQuiet() {
    constexpr DWORD kQueueReports = 0x2; // WER_FAULT_REPORTING_FLAG_QUEUE: no interface
    if (Kernel32().werSetFlags != nullptr) {
        Kernel32().werSetFlags(kQueueReports);
    }
}

// Windows swallows an exception raised in a timer callback unless told
// otherwise, and the process would go on in an unknown state; with this off
// it reaches the filter like any other.
void LetTimerExceptionsThrough() {
    constexpr int kTimerProcExceptionSuppression = 7; // UOI_TIMERPROC_EXCEPTION_SUPPRESSION
    BOOL suppress = FALSE;
    SetUserObjectInformationW(GetCurrentProcess(), kTimerProcExceptionSuppression, &suppress,
                              sizeof suppress);
}

// The C run-time's checks of the arguments of its own functions would
// otherwise end the process with 0xC0000417, and a pure virtual call or
// abort() could show a run-time error box first.
void SetCrtHandlers() {
    const CrtFunctions& crt = Crt();
    if (crt.setInvalidParameterHandler != nullptr) {
        crt.setInvalidParameterHandler(EndOnInvalidParameter);
    }
    if (crt.setPurecallHandler != nullptr) {
        crt.setPurecallHandler(EndOnPureCall);
    }
    if (crt.setErrorMode != nullptr) {
        crt.setErrorMode(_OUT_TO_STDERR);
    }
    if (crt.setAbortBehavior != nullptr) {
        crt.setAbortBehavior(0, _WRITE_ABORT_MSG | _CALL_REPORTFAULT);
    }
}

} // namespace

void EndAfterFailure() noexcept {
    // TerminateProcess rather than ExitProcess: the process may be damaged,
    // and ExitProcess would still run the DLLs' detach code in it.
    TerminateProcess(GetCurrentProcess(), exit_code::kFailed);
    // TerminateProcess of the own process does not return.
    for (;;) {
        Sleep(INFINITE);
    }
}

void InstallFailureHandlers() {
    // No Windows Error Reporting box, and no box for a missing drive or file.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    KeepErrorReportingQuiet();
    SetUnhandledExceptionFilter(EndOnUnhandledException);
    LetTimerExceptionsThrough();
    ULONG guarantee = kStackKeptForFailures;
    SetThreadStackGuarantee(&guarantee);
    std::signal(SIGABRT, EndOnAbort);
    std::set_terminate(EndAfterFailure);
    SetCrtHandlers();
}

#if defined(__GLIBCXX__)
// With libstdc++ linked statically, its default terminate handler and the
// helpers that throw the standard exceptions bring a demangler, printf and
// the narrow string and exception classes along: over half of the
// executable, for errors that end the process anyway. These definitions keep
// the library's copies out of the link and end the process the same way.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    EndAfterFailure();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() {
    EndAfterFailure();
}
void __throw_bad_array_new_length() {
    EndAfterFailure();
}
void __throw_bad_function_call() {
    EndAfterFailure();
}
void __throw_length_error(const char*) {
    EndAfterFailure();
}
void __throw_logic_error(const char*) {
    EndAfterFailure();
}
void __throw_out_of_range_fmt(const char*, ...) {
    EndAfterFailure();
}
} // namespace std
#endif
