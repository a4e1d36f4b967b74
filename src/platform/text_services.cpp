#include "platform/text_services.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Copies the digits at `pos` into `out`; returns how many there were.
std::size_t TakeDigits(std::wstring_view text, std::size_t& pos, std::string& out) {
    std::size_t count = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos, ++count) {
        out.push_back(static_cast<char>(text[pos]));
    }
    return count;
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
    // Collect the number as plain ASCII, then let strtod do the rounding. The
    // program never changes the C locale, so "." is the decimal point.
    std::string number;
    if (text[pos] == L'+' || text[pos] == L'-') {
        number.push_back(static_cast<char>(text[pos++]));
    }
    std::size_t digits = TakeDigits(text, pos, number);
    if (pos < text.size() && text[pos] == L'.') {
        number.push_back('.');
        ++pos;
        digits += TakeDigits(text, pos, number);
    }
    if (digits == 0) {
        return 0.0;
    }
    if (pos + 1 < text.size() && (text[pos] == L'e' || text[pos] == L'E')) {
        std::size_t exponentPos = pos + 1;
        std::string exponent = "e";
        if (text[exponentPos] == L'+' || text[exponentPos] == L'-') {
            exponent.push_back(static_cast<char>(text[exponentPos++]));
        }
        if (TakeDigits(text, exponentPos, exponent) > 0) {
            number += exponent;
        }
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
    // The leading space stands where a minus sign would.
    return (value < 0 ? L"" : L" ") + std::to_wstring(value);
}
