#include "platform/text_services.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// A decimal number as significand × 10^exponent.
struct DecimalNumber {
    std::uint64_t significand = 0;
    std::int64_t exponent = 0;
};

// Up to 19 significant digits fit the significand; later ones only matter
// for values far outside any range the program accepts.
constexpr std::uint64_t kSignificandLimit = 1'000'000'000'000'000'000ULL;
constexpr std::int64_t kExponentLimit = 100'000; // far beyond any double

// Reads the digits at `pos` into `number`; returns how many there were.
std::size_t TakeDigits(std::wstring_view text, std::size_t& pos, DecimalNumber& number,
                       bool afterPoint) {
    std::size_t count = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos, ++count) {
        const auto digit = static_cast<std::uint64_t>(text[pos] - L'0');
        if (number.significand < kSignificandLimit) {
            number.significand = number.significand * 10 + digit;
            number.exponent -= afterPoint ? 1 : 0;
        } else {
            number.exponent += afterPoint ? 0 : 1;
        }
    }
    return count;
}

// The exponent that starts at `pos` (optional sign, digits), 0 when there is
// none; saturated, so that no run of digits can overflow it.
std::int64_t TakeExponent(std::wstring_view text, std::size_t pos) {
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
        negative = text[pos++] == L'-';
    }
    std::int64_t exponent = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        exponent = std::min(exponent * 10 + (text[pos] - L'0'), kExponentLimit);
    }
    return negative ? -exponent : exponent;
}

double ToDouble(const DecimalNumber& number) {
    if (number.significand == 0) {
        return 0.0;
    }
    // Both factors are exact up to 2^53 and 10^22, so one multiplication or
    // division rounds correctly: "2.5" is exactly 2.5, as ties need.
    constexpr std::int64_t kExactPowers = 22;
    double value = static_cast<double>(number.significand);
    std::int64_t exponent = number.exponent;
    for (; exponent > kExactPowers; exponent -= kExactPowers) {
        value *= 1e22;
    }
    for (; exponent < -kExactPowers; exponent += kExactPowers) {
        value /= 1e22;
    }
    double power = 1.0;
    for (std::int64_t i = 0; i < (exponent < 0 ? -exponent : exponent); ++i) {
        power *= 10.0;
    }
    return exponent < 0 ? value / power : value * power;
}

} // namespace

std::wstring UpperCase(std::wstring_view text) {
    std::wstring upper(text);
    for (wchar_t& c : upper) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return upper;
}

double LeadingNumber(std::wstring_view text) {
    std::size_t pos = text.find_first_not_of(L' ');
    if (pos == std::wstring_view::npos) {
        return 0.0;
    }
    bool negative = false;
    if (text[pos] == L'+' || text[pos] == L'-') {
        negative = text[pos++] == L'-';
    }

    // Significant digits go into an integer; the position of the decimal
    // point and the exponent into a power of ten.
    DecimalNumber number;
    const std::size_t integerDigits = TakeDigits(text, pos, number, false);
    std::size_t fractionDigits = 0;
    if (pos < text.size() && text[pos] == L'.') {
        ++pos;
        fractionDigits = TakeDigits(text, pos, number, true);
    }
    if (integerDigits + fractionDigits == 0) {
        return 0.0;
    }
    if (pos + 1 < text.size() && (text[pos] == L'e' || text[pos] == L'E')) {
        number.exponent += TakeExponent(text, pos + 1);
    }
    const double magnitude = ToDouble(number);
    return negative ? -magnitude : magnitude;
}

std::optional<std::int32_t> NearestInt32(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    // Rounded by hand rather than through the floating-point environment, so
    // that ties go to the even neighbour whatever the rounding mode.
    double nearest = std::floor(value);
    const double fraction = value - nearest;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(nearest, 2.0) != 0.0)) {
        nearest += 1.0;
    }
    if (nearest < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        nearest > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(nearest);
}

std::wstring NumberText(std::int32_t value) {
    // Digits by hand: the C library's formatting would add tens of kilobytes
    // to a program that formats nothing else.
    std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    // The leading space stands where a minus sign would.
    return (value < 0 ? L"-" : L" ") + digits;
}
