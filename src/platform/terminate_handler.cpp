#include "platform/terminate_handler.h"

#include "platform/process.h"
#include "startup/exit_codes.h"

#include <exception>

namespace {
[[noreturn]] void EndWithError() noexcept {
    EndProcess(exit_code::kFailed);
}
} // namespace

void InstallTerminateHandler() {
    std::set_terminate(EndWithError);
}

#if defined(__GLIBCXX__)
// With libstdc++ linked statically, its default terminate handler and the
// helpers that throw the standard exceptions bring a demangler, printf and
// the narrow string and exception classes along: over half of the
// executable, for errors that end the process anyway. These definitions keep
// the library's copies out of the link and end the process the same way.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    EndWithError();
}
} // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() {
    EndWithError();
}
void __throw_bad_array_new_length() {
    EndWithError();
}
void __throw_length_error(const char*) {
    EndWithError();
}
void __throw_logic_error(const char*) {
    EndWithError();
}
void __throw_out_of_range_fmt(const char*, ...) {
    EndWithError();
}
} // namespace std
#endif
