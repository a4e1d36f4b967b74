#pragma once

#include <string_view>

// The part of a full process command line that follows the program's own
// name, skipping that name by Windows' rules: a first word that starts with a
// double quote runs to the next double quote, otherwise to the first space or
// tab; the white space after it is skipped too. Quotes in the tail are kept,
// so `"C:\Tools\Tolvane.exe"/Title x` keeps its first switch.
std::wstring_view CommandLineTail(std::wstring_view fullCommandLine);
