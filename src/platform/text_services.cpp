#include "platform/text_services.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Moves `pos` past the digits there; returns how many there were.
std::size_t SkipDigits(std::wstring_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
    }
    return pos - start;
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
    // The number's extent by the scanning rules: a sign, digits with at most
    // one decimal point, then an exponent if digits follow its E.
    const std::size_t start = pos;
    if (text[pos] == L'+' || text[pos] == L'-') {
        ++pos;
    }
    std::size_t digits = SkipDigits(text, pos);
    if (pos < text.size() && text[pos] == L'.') {
        ++pos;
        digits += SkipDigits(text, pos);
    }
    if (digits == 0) {
        return 0.0;
    }
    if (pos + 1 < text.size() && (text[pos] == L'e' || text[pos] == L'E')) {
        std::size_t exponent = pos + 1;
        if (text[exponent] == L'+' || text[exponent] == L'-') {
            ++exponent;
        }
        if (SkipDigits(text, exponent) > 0) {
            pos = exponent;
        }
    }

    // Every character is ASCII now. strtod rounds the whole text once,
    // correctly, however many digits it has (MinGW-w64 gives its own C99
    // strtod, not the older one of msvcrt.dll); the program never changes
    // the C locale, so the decimal point is '.'. Too large a number gives
    // infinity, too small a one zero.
    std::string number;
    for (const wchar_t c : text.substr(start, pos - start)) {
        number.push_back(static_cast<char>(c));
    }
    return std::strtod(number.c_str(), nullptr);
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
