#include "track/cameralisting.h"

#include <algorithm>
#include <array>
#include <charconv>

// The camera's clock, as its listings and its file names give it.
namespace CameraListingParser {
namespace {

bool isDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view s)
{
    int v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

} // namespace

std::string cameraTime(std::string_view t)
{
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    if (t.size() < 19 || (t[4] != '/' && t[4] != '-') || t[7] != t[4] || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return {};
    const std::array<std::string_view, 6> parts = {t.substr(0, 4),  t.substr(5, 2),  t.substr(8, 2),
                                                   t.substr(11, 2), t.substr(14, 2), t.substr(17, 2)};
    for (std::string_view p : parts) {
        if (!isDigits(p))
            return {};
    }
    const int mo = number(parts[1]), d = number(parts[2]), h = number(parts[3]), mi = number(parts[4]),
              s = number(parts[5]);
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
        return {};
    return std::string(parts[0]) + "-" + std::string(parts[1]) + "-" + std::string(parts[2]) + " " +
           std::string(parts[3]) + ":" + std::string(parts[4]) + ":" + std::string(parts[5]);
}

std::string timeFromName(std::string_view name)
{
    // "20260514_101500" (vod cameras) or "2026_0514_101500" (Novatek cards).
    for (std::size_t i = 0; i + 15 <= name.size(); ++i) {
        std::string digits;
        std::size_t k = i;
        if (name.size() >= i + 16 && isDigits(name.substr(i, 4)) && name[i + 4] == '_' &&
            isDigits(name.substr(i + 5, 4)) && name[i + 9] == '_' && isDigits(name.substr(i + 10, 6))) {
            digits = std::string(name.substr(i, 4)) + std::string(name.substr(i + 5, 4)) +
                     std::string(name.substr(i + 10, 6));
            k = i + 16;
        } else if (isDigits(name.substr(i, 8)) && name[i + 8] == '_' && isDigits(name.substr(i + 9, 6))) {
            digits = std::string(name.substr(i, 8)) + std::string(name.substr(i + 9, 6));
            k = i + 15;
        } else {
            continue;
        }
        if (k < name.size() && name[k] >= '0' && name[k] <= '9')
            continue;
        const std::string text = digits.substr(0, 4) + "/" + digits.substr(4, 2) + "/" + digits.substr(6, 2) + " " +
                                 digits.substr(8, 2) + ":" + digits.substr(10, 2) + ":" + digits.substr(12, 2);
        std::string t = cameraTime(text);
        if (!t.empty())
            return t;
    }
    return {};
}

} // namespace CameraListingParser
