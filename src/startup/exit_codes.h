#pragma once

// The process exit codes, the program's only output to the calling script.
namespace exit_code {
inline constexpr unsigned kCancelled = 0; // Cancel, or the window closed
inline constexpr unsigned kFirstOption = 1;
inline constexpr unsigned kLastOption = 10;
inline constexpr unsigned kUsageShown = 11;
// The usage text tells the user that 11 also means an error; the program
// ends with it when it fails on its own (no window, no memory).
inline constexpr unsigned kFailed = 11;
} // namespace exit_code
