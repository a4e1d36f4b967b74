#pragma once

#include <string_view>

// The part of a full process command line that follows the program's own
// name, found as the C run-time finds it for WinMain: the name runs to the
// first space or tab outside double quotes, and the white space after it is
// skipped. Quotes in the tail are kept as they are.
std::wstring_view CommandLineTail(std::wstring_view fullCommandLine);
