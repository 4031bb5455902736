#include "track/numbertext.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The extent of the leading decimal number of text (sign included), or an empty view.
std::string_view numberExtent(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return {};
    // An exponent counts only when digits follow it: "5e" reads as 5.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return text.substr(start, i - start);
}

template <typename T>
T leading(std::string_view text)
{
    std::string_view number = numberExtent(text);
    if (number.empty())
        return 0;
    bool negative = false;
    if (number.front() == '+' || number.front() == '-') {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    T value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Too large saturates like strtod; too small is 0. Tell them apart by the exponent.
        const auto e = number.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && number.substr(e + 1).starts_with('-');
        value = tiny ? T(0) : std::numeric_limits<T>::infinity();
    } else if (ec != std::errc()) {
        value = 0;
    }
    return negative ? -value : value;
}

} // namespace

float leadingFloat(std::string_view text) { return leading<float>(text); }
double leadingDouble(std::string_view text) { return leading<double>(text); }

std::string sixDecimals(double value)
{
    char buf[512];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    if (ec != std::errc())
        return "0.000000";
    return std::string(buf, end);
}

std::string fixedDecimals(double value, int decimals)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    char buf[512];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return "0";
    return std::string(buf, end);
}
