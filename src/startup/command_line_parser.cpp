#include "startup/command_line_parser.h"

namespace {

constexpr wchar_t kSpace = L' ';
constexpr wchar_t kQuote = L'"';

bool IsSwitchChar(wchar_t c) {
    return c == L'/' || c == L'-';
}

void TrimEntry(SwitchEntry& entry) {
    entry.Name = TrimSpaces(entry.Name);
    entry.Value = TrimSpaces(entry.Value);
}

// A line whose first character other than a space is no switch character is
// read as if "/" stood in front of it, so that leading text becomes a switch.
std::wstring WithLeadingSwitch(std::wstring_view commandLine) {
    const std::wstring trimmed = TrimSpaces(commandLine);
    if (!commandLine.empty() && (trimmed.empty() || !IsSwitchChar(trimmed.front()))) {
        return L"/" + std::wstring(commandLine);
    }
    return std::wstring(commandLine);
}

} // namespace

std::wstring TrimSpaces(std::wstring_view text) {
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::wstring_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kSpace);
    return std::wstring(text.substr(first, last - first + 1));
}

std::int32_t ParseCommandLine(std::wstring_view commandLine, SwitchTable& table) {
    table.assign(1, SwitchEntry{});
    std::size_t current = 0;
    bool InQuotes = false;
    bool InValue = false;

    for (const wchar_t c : WithLeadingSwitch(commandLine)) {
        if (IsSwitchChar(c) && !InQuotes) {
            TrimEntry(table[current]);
            table.emplace_back();
            ++current;
            InValue = false;
        } else if (c == kQuote) {
            InQuotes = !InQuotes;
        } else if (InValue) {
            table[current].Value.push_back(c);
        } else if (c == kSpace && !InQuotes) {
            InValue = true;
        } else {
            table[current].Name.push_back(c);
        }
    }

    // A quote left open closes at the end of the line and stays visible.
    if (InQuotes) {
        (InValue ? table[current].Value : table[current].Name).push_back(kQuote);
    }
    TrimEntry(table[current]);
    // At most 32,767 characters reach a process, so the count always fits.
    return static_cast<std::int32_t>(current);
}
