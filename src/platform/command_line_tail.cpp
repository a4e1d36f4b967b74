#include "platform/command_line_tail.h"

#include <algorithm>

std::wstring_view CommandLineTail(std::wstring_view fullCommandLine) {
    constexpr std::wstring_view kBlanks = L" \t";
    std::size_t pos = 0;
    if (!fullCommandLine.empty() && fullCommandLine.front() == L'"') {
        // There is no escape for a quote inside the program name.
        const std::size_t close = fullCommandLine.find(L'"', 1);
        pos = close == std::wstring_view::npos ? fullCommandLine.size() : close + 1;
    } else {
        pos = std::min(fullCommandLine.find_first_of(kBlanks), fullCommandLine.size());
    }
    // The white space between the name and the arguments is no argument.
    pos = std::min(fullCommandLine.find_first_not_of(kBlanks, pos), fullCommandLine.size());
    return fullCommandLine.substr(pos);
}
