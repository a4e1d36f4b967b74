#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Portable text and number services used by the dialog set-up and countdown.

// A copy of `text` with a to z in upper case. The switch keywords are plain
// A to Z, and leaving every other letter alone keeps look-alikes from other
// scripts from ever matching one.
std::wstring UpperCase(std::wstring_view text);

// The number at the start of `text`: leading spaces skipped, an optional sign,
// digits with at most one decimal point and an optional exponent (E or e,
// optional sign, digits); reading stops at the first character that cannot
// continue the number. 0 when the text does not begin with one. The result
// is the double nearest to the whole number, however many digits it has.
double LeadingNumber(std::wstring_view text);

// The nearest 32-bit signed integer, ties to the even one; nullopt when the
// result does not fit (or the value is not a number).
std::optional<std::int32_t> NearestInt32(double value);

// A space for a number that is not negative (a minus sign otherwise), then
// its decimal digits without leading zeros.
std::wstring NumberText(std::int32_t value);
