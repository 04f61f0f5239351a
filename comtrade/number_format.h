// Numbers as the COMTRADE files and the window show them. Every function here
// writes the same bytes under any process locale (a Russian locale would make
// printf write a decimal comma, which splits a COMTRADE field).
#pragma once

#include <cstdint>
#include <string>

namespace velk {

// Plain decimal, as "%d" writes it.
std::string Decimal(std::int64_t value);

// "%0*d" with the given width, then cut to its first width characters: the
// two-character day, month, hour, minute, second and device-type texts.
std::string ZeroPaddedCut(std::int64_t value, int width);

// "%*d" with the given width, then cut to its first width characters: the year.
std::string SpacePaddedCut(std::int64_t value, int width);

// A channel multiplier as "%8.4f" writes it, without the blanks that pad it:
// 9.87128 gives "9.8713", 123.4 gives "123.4000". The value is printed exactly
// as held, in extended precision, and rounded to four decimals.
std::string Multiplier(long double value);

// The decimal number at the start of text, as the C library's atoi reads it:
// leading white space, an optional sign, then digits; 0 when there are none.
// Saturates instead of overflowing.
std::int64_t LeadingNumber(const std::string& text);

}  // namespace velk
