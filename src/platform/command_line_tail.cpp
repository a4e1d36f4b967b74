#include "platform/command_line_tail.h"

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
} // namespace

std::wstring_view CommandLineTail(std::wstring_view fullCommandLine) {
    // The program name ends at the first space or tab outside double quotes,
    // as the C run-time reads it for WinMain; there is no escape for a quote.
    std::size_t pos = 0;
    bool inQuotes = false;
    for (; pos < fullCommandLine.size(); ++pos) {
        const wchar_t c = fullCommandLine[pos];
        if (c == L'"') {
            inQuotes = !inQuotes;
        } else if (IsBlank(c) && !inQuotes) {
            break;
        }
    }
    // The white space between the name and the arguments is no argument.
    while (pos < fullCommandLine.size() && IsBlank(fullCommandLine[pos])) {
        ++pos;
    }
    return fullCommandLine.substr(pos);
}
