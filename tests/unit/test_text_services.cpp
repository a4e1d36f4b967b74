#include "platform/text_services.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
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

TEST(LeadingNumber, RoundsTheWholeNumberOnce) {
    // Between two doubles, with more digits than a double holds: the
    // nearest double, not the one that rounding the first digits and then
    // the rest would give.
    const std::vector<NumberCase> cases = {
        {L"7.5000000000000005", std::nextafter(7.5, 8.0)},
        {L"11.499999999999999", std::nextafter(11.5, 0.0)},
        {L"2.50000000000000045", std::nextafter(2.5, 3.0)},
        {L"2.5000000000000001", 2.5},
        {L"9007199254740993", 9007199254740992.0},
        {L"9007199254740993.0000000000001", 9007199254740994.0},
        // Either side of the midpoint ...016653345... between 0.3 and the next double.
        {L"0.30000000000000001665", 0.3},
        {L"0.30000000000000001666", std::nextafter(0.3, 1.0)},
        {L"1.7976931348623157e308", std::numeric_limits<double>::max()},
        {L"1.8e308", std::numeric_limits<double>::infinity()},
        {L"4.9e-324", std::numeric_limits<double>::denorm_min()},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        EXPECT_EQ(LeadingNumber(c.text), c.expected);
    }
}

TEST(LeadingNumber, AgreesWithTheStandardLibrarysCorrectlyRoundedReading) {
    // Random numbers of up to 40 digits, half of them close to a tie, read
    // against std::from_chars, a conversion of its own.
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 20000; ++i) {
        std::string digits = std::to_string(random() % 301);
        digits += '.';
        const bool nearTie = i % 2 == 0;
        digits += nearTie ? "5" : "";
        const int count = static_cast<int>(random() % 40);
        const char filler = nearTie ? "09"[random() % 2] : '0';
        for (int d = 0; d < count; ++d) {
            digits += d + 1 == count ? static_cast<char>('0' + random() % 10) : filler;
        }
        if (random() % 4 == 0) {
            digits += "e" + std::to_string(static_cast<int>(random() % 40) - 20);
        }
        double expected = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), expected);
        SCOPED_TRACE(digits);
        ASSERT_EQ(LeadingNumber(std::wstring(digits.begin(), digits.end())), expected);
    }
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
