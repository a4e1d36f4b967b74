#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One switch of the command line: its name as typed (no switch character, no
// quotes) and its argument, both trimmed of leading and trailing spaces.
struct SwitchEntry {
    std::wstring Name;
    std::wstring Value;

    bool operator==(const SwitchEntry&) const = default;
};

// Entry 0 stands for the program itself; entries 1..size()-1 are the switches
// in the order written.
using SwitchTable = std::vector<SwitchEntry>;

// Replaces `table` with the switches of the command-line tail `commandLine`
// (the text after the program's own name) and returns the index of the last
// entry, which is also the number of switches. Never rejects a line.
std::int32_t ParseCommandLine(std::wstring_view commandLine, SwitchTable& table);

// Removes leading and trailing U+0020 only; tabs are ordinary text.
std::wstring TrimSpaces(std::wstring_view text);
