#pragma once

// What every parse of a command-line tail must give, worked out from the line
// alone: the parser's unit tests and the fuzz target check the same rules.
#include "startup/command_line_parser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline bool IsSwitchChar(wchar_t c) {
    return c == L'/' || c == L'-';
}

// The switches: a "/" goes in front unless the first non-space character is a
// switch character, then every switch character outside double quotes counts.
// Also whether a quote is left open at the end, and whether the last switch
// had reached its value (a space outside quotes after its name) by then.
struct LineFacts {
    std::int32_t switches = 0;
    bool quoteLeftOpen = false;
    bool endsInValue = false;
};

inline LineFacts FactsOf(std::wstring_view line) {
    LineFacts facts;
    if (line.empty()) {
        return facts;
    }
    const std::size_t first = line.find_first_not_of(L' ');
    if (first == std::wstring_view::npos || !IsSwitchChar(line[first])) {
        facts.switches = 1;
    }
    bool inQuotes = false;
    for (const wchar_t c : line) {
        if (c == L'"') {
            inQuotes = !inQuotes;
        } else if (IsSwitchChar(c) && !inQuotes) {
            ++facts.switches;
            facts.endsInValue = false;
        } else if (c == L' ' && !inQuotes) {
            facts.endsInValue = true;
        }
    }
    facts.quoteLeftOpen = inQuotes;
    return facts;
}

// Names and values are trimmed of spaces (only of spaces).
inline bool HasEdgeSpace(const std::wstring& text) {
    return !text.empty() && (text.front() == L' ' || text.back() == L' ');
}

inline std::size_t QuotesLeft(const SwitchTable& table) {
    std::size_t quotes = 0;
    for (const SwitchEntry& entry : table) {
        quotes += static_cast<std::size_t>(std::count(entry.Name.begin(), entry.Name.end(), L'"'));
        quotes +=
            static_cast<std::size_t>(std::count(entry.Value.begin(), entry.Value.end(), L'"'));
    }
    return quotes;
}

// The only quote that survives is the one that closes a quote left open: the
// last character of the last entry's name or value. That field, or null when
// no quote was left open.
inline const std::wstring* FieldClosingTheOpenQuote(const LineFacts& facts,
                                                    const SwitchTable& table) {
    if (!facts.quoteLeftOpen || table.empty()) {
        return nullptr;
    }
    return facts.endsInValue ? &table.back().Value : &table.back().Name;
}
