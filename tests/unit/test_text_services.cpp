#include "platform/text_services.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(UpperCase, MapsAsciiLettersAndLeavesOtherAsciiAlone) {
    std::wstring all;
    for (wchar_t ch = 1; ch < 128; ++ch) {
        all += ch;
    }
    const std::wstring upper = UpperCase(all);
    ASSERT_EQ(upper.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const wchar_t ch = all[i];
        const wchar_t expected = (ch >= L'a' && ch <= L'z') ? ch - L'a' + L'A' : ch;
        EXPECT_EQ(upper[i], expected) << "character " << static_cast<int>(ch);
    }
}

TEST(UpperCase, KeywordsInAnyCase) {
    EXPECT_EQ(UpperCase(L"tItLe"), L"TITLE");
    EXPECT_EQ(UpperCase(L"timeout"), L"TIMEOUT");
    EXPECT_EQ(UpperCase(L""), L"");
}

TEST(UpperCase, LeavesNonLettersBeyondAsciiAlone) {
    const std::wstring text = L"\xD800\xDC00\x00A0\x00D7\x00F7\x2013\x20AC\xFFFF";
    EXPECT_EQ(UpperCase(text), text);
}

struct NumberCase {
    std::wstring text;
    double expected;
};

TEST(LeadingNumber, ReadsTheNumberAtTheStart) {
    const std::vector<NumberCase> cases = {
        {L"42", 42.0},
        {L"   42", 42.0},
        {L"+3", 3.0},
        {L" +3", 3.0},
        {L"-2.5x", -2.5},
        {L".5", 0.5},
        {L"5.", 5.0},
        {L"1.2.3", 1.2},
        {L"10 secondi", 10.0},
        {L"2.5", 2.5},
        {L"007", 7.0},
        {L"300", 300.0},
        {L"99999999999", 99999999999.0},
        {L"abc", 0.0},
        {L"", 0.0},
        {L"   ", 0.0},
        {L"+", 0.0},
        {L"-", 0.0},
        {L".", 0.0},
        {L"x12", 0.0},
        {L"3,5", 3.0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.expected);
    }
}

TEST(LeadingNumber, ReadsExponentsAndLongDigitRuns) {
    const std::vector<NumberCase> cases = {
        {L"1e12", 1e12},
        {L"1E3x", 1000.0},
        {L"2.5e0", 2.5},
        {L"25e-1", 2.5},
        {L"1e", 1.0}, // no exponent digits: the number ends before the e
        {L"1e+", 1.0},
        {L"3e-400", 0.0},
        {L"0.1", 0.1},
        {L"1234567890123456789012345", 1234567890123456789012345.0},
        {L"0.00000000000000000000000000000000000000000000000025", 2.5e-49},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.expected);
    }
    // Huge exponents saturate rather than overflow; the value is just too big.
    EXPECT_FALSE(NearestInt32(LeadingNumber(L"9e99999999999999999999")));
    EXPECT_EQ(LeadingNumber(std::wstring(40000, L'0') + L"7"), 7.0);
}

struct RoundCase {
    double value;
    std::optional<std::int32_t> expected;
};

TEST(NearestInt32, RoundsTiesToEvenAndRejectsWhatDoesNotFit) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<RoundCase> cases = {
        {0.0, 0},
        {0.4, 0},
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {300.5, 300},
        {2147483646.5, 2147483646},
        {2147483647.0, 2147483647},
        {2147483647.4, 2147483647},
        {2147483647.5, std::nullopt},
        {2147483648.0, std::nullopt},
        {-2147483648.0, -2147483647 - 1},
        {-2147483648.5, -2147483647 - 1},
        {-2147483648.6, std::nullopt},
        {-2147483649.0, std::nullopt},
        {1e12, std::nullopt},
        {inf, std::nullopt},
        {std::nan(""), std::nullopt},
    };
    for (const RoundCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.value));
        EXPECT_EQ(NearestInt32(c.value), c.expected);
    }
}

TEST(NumberText, SignPositionThenDigits) {
    const std::vector<std::pair<std::int32_t, std::wstring>> cases = {
        {0, L" 0"},
        {30, L" 30"},
        {300, L" 300"},
        {-5, L"-5"},
        {2147483647, L" 2147483647"},
        {-2147483647 - 1, L"-2147483648"},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(NumberText(value), expected);
    }
}

} // namespace
