#pragma once
// Reading the numbers a track keeps as text.
// A text reads as its leading decimal number: leading white space skipped, an optional
// sign, digits with an optional fraction and exponent; whatever follows is ignored and a
// text without such a number reads as 0. Unlike strtod this never depends on the
// process locale (a player started with a German locale must still read "36.5"), and
// it accepts neither hexadecimal forms nor "inf"/"nan".
#include <string>
#include <string_view>

float leadingFloat(std::string_view text);
double leadingDouble(std::string_view text);

// "%f" of a coordinate (six decimals), independent of the locale.
std::string sixDecimals(double value);
// "%.Nf" of value (decimals digits after a "." whatever the locale), "nan"/"inf" as printf.
std::string fixedDecimals(double value, int decimals);
