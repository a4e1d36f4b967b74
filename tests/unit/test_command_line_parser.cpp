#include "startup/command_line_parser.h"

#include "parse_invariants.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

// Lets failures show the entries instead of raw bytes.
void PrintTo(const SwitchEntry& entry, std::ostream* os) {
    *os << ::testing::PrintToString(entry.Name) << " / " << ::testing::PrintToString(entry.Value);
}

namespace {

struct ParseCase {
    std::wstring tail;
    std::vector<SwitchEntry> switches; // entries 1..n
};

// Checks the shape every parse must have: entry 0 empty, one entry per switch.
void ExpectParsedAs(const std::wstring& tail, const std::vector<SwitchEntry>& switches) {
    SCOPED_TRACE(::testing::PrintToString(tail));
    SwitchTable table;
    const std::int32_t result = ParseCommandLine(tail, table);
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table[0], SwitchEntry{});
    EXPECT_EQ(result, static_cast<std::int32_t>(switches.size()));
    EXPECT_EQ(std::vector<SwitchEntry>(table.begin() + 1, table.end()), switches);
}

TEST(ParseCommandLine, WorkedExamplesAndEdgeCases) {
    const std::vector<ParseCase> cases = {
        {LR"(/Title "Scelta" /Option Uno -Option "Due parole" /Default 2)",
         {{L"Title", L"Scelta"},
          {L"Option", L"Uno"},
          {L"Option", L"Due parole"},
          {L"Default", L"2"}}},
        {L"Title Backup /Option Si /Option No",
         {{L"Title", L"Backup"}, {L"Option", L"Si"}, {L"Option", L"No"}}},
        {L"  Title Backup", {{L"", L"Title Backup"}}},
        {LR"(/Title Pre-set /Option "Pre-set")",
         {{L"Title", L"Pre"}, {L"set", L""}, {L"Option", L"Pre-set"}}},
        {L"/Default -1", {{L"Default", L""}, {L"1", L""}}},
        {LR"(/Text "a /b -c" /Timeout 10)", {{L"Text", L"a /b -c"}, {L"Timeout", L"10"}}},
        {LR"(/Title Due  spazi   /Text "  x  ")", {{L"Title", L"Due  spazi"}, {L"Text", L"x"}}},
        {LR"(/Option "Non chiusa)", {{L"Option", L"Non chiusa\""}}},

        {L"", {}},
        {L"   ", {{L"", L""}}},
        {L"  /Title x", {{L"Title", L"x"}}},
        {L"  -Title x", {{L"Title", L"x"}}},
        {L"Title", {{L"Title", L""}}},
        {L"x /y", {{L"x", L""}, {L"y", L""}}},
        {L"-", {{L"", L""}}},
        {L"/-", {{L"", L""}, {L"", L""}}},
        {L"//Option A", {{L"", L""}, {L"Option", L"A"}}},
        {L"/ Title x", {{L"", L"Title x"}}},
        {L"/A 1 /B 2 -C 3", {{L"A", L"1"}, {L"B", L"2"}, {L"C", L"3"}}},
        {LR"(/Text "a -b")", {{L"Text", L"a -b"}}},
        {LR"(/Title Al"b c"d)", {{L"Title", L"Alb cd"}}},
        {LR"(/"Op tion" x)", {{L"Op tion", L"x"}}},
        {LR"(/"a/b" v)", {{L"a/b", L"v"}}},
        {LR"(/Title "")", {{L"Title", L""}}},
        {LR"(/Title "   ")", {{L"Title", L""}}},
        {LR"(/Text "a"/Option b)", {{L"Text", L"a"}, {L"Option", L"b"}}},
        {L"/tItLe x", {{L"tItLe", L"x"}}},
        // A leading quote is not a switch character, so a "/" goes in front.
        {LR"("/Title" x)", {{L"/Title", L"x"}}},

        // A quote left open: appended to the field being read, before trimming.
        {LR"(/Option")", {{L"Option\"", L""}}},
        {LR"(/a"""b c)", {{L"ab c\"", L""}}},
        {LR"(/Title x")", {{L"Title", L"x\""}}},
        {LR"(/Title "  x  )", {{L"Title", L"x  \""}}},

        // Tabs are ordinary text: no separator, not trimmed.
        {L"/Title\tx y", {{L"Title\tx", L"y"}}},
        {L"/Title \tx\t ", {{L"Title", L"\tx\t"}}},
        {L"\tTitle", {{L"\tTitle", L""}}},

        // Lone surrogates and control characters are just text.
        {L"/Title \xD800x\x01\x1F\x7F\r\n\xFFFF\xDC00",
         {{L"Title", L"\xD800x\x01\x1F\x7F\r\n\xFFFF\xDC00"}}},
        {L"/\x01\xDFFF v\xDBFF", {{L"\x01\xDFFF", L"v\xDBFF"}}},
    };
    for (const ParseCase& c : cases) {
        ExpectParsedAs(c.tail, c.switches);
    }
}

TEST(ParseCommandLine, ReplacesTheWholeTableOnEachCall) {
    SwitchTable table = {{L"junk", L"0"}, {L"Old", L"1"}, {L"Old", L"2"}, {L"Old", L"3"}};
    EXPECT_EQ(ParseCommandLine(L"/A b", table), 1);
    EXPECT_EQ(table, (SwitchTable{{}, {L"A", L"b"}}));

    EXPECT_EQ(ParseCommandLine(L"", table), 0);
    EXPECT_EQ(table, SwitchTable{{}});
}

TEST(ParseCommandLine, LineOfOnlySwitchCharactersGivesOneEntryEach) {
    std::wstring line;
    for (int i = 0; i < 32767; ++i) {
        line += (i % 3 == 0) ? L'-' : L'/';
    }
    SwitchTable table;
    ASSERT_EQ(ParseCommandLine(line, table), 32767);
    ASSERT_EQ(table.size(), 32768u);
    for (const SwitchEntry& entry : table) {
        ASSERT_EQ(entry, SwitchEntry{});
    }
}

TEST(ParseCommandLine, RandomLinesKeepTheTableInvariants) {
    const std::wstring alphabet = L"/-\" \tab";
    std::mt19937 random(20240501);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    for (int round = 0; round < 3000; ++round) {
        std::wstring line;
        for (int n = length(random); n > 0; --n) {
            line += alphabet[pick(random)];
        }
        SCOPED_TRACE(::testing::PrintToString(line));

        SwitchTable table;
        const std::int32_t result = ParseCommandLine(line, table);
        const LineFacts facts = FactsOf(line);
        ASSERT_EQ(result, facts.switches);
        ASSERT_EQ(table.size(), static_cast<std::size_t>(result) + 1);
        ASSERT_EQ(table[0], SwitchEntry{});
        const std::wstring* closing = FieldClosingTheOpenQuote(facts, table);
        EXPECT_EQ(QuotesLeft(table), closing ? 1u : 0u);
        if (closing) {
            EXPECT_TRUE(closing->ends_with(L'"'));
        }
        for (std::size_t i = 1; i < table.size(); ++i) {
            const SwitchEntry& entry = table[i];
            EXPECT_FALSE(HasEdgeSpace(entry.Name));
            EXPECT_FALSE(HasEdgeSpace(entry.Value));
            // Only a quote left open at the end can leave a quote behind, as
            // the last character of the last entry's name or value.
            const bool last = i + 1 == table.size();
            for (const std::wstring* field : {&entry.Name, &entry.Value}) {
                const auto quote = field->find(L'"');
                if (quote != std::wstring::npos) {
                    EXPECT_TRUE(last);
                    EXPECT_EQ(quote, field->size() - 1);
                }
            }
        }
    }
}

TEST(TrimSpaces, RemovesOnlyOuterSpaces) {
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"", L""},
        {L"   ", L""},
        {L"  a b  ", L"a b"},
        {L"a", L"a"},
        {L"\t a \t", L"\t a \t"},
        {L" \ta\t ", L"\ta\t"},
        {L" \r\n ", L"\r\n"},
    };
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(input));
        EXPECT_EQ(TrimSpaces(input), expected);
    }
}

} // namespace
