#include "track/cameraclock.h"
#include "track/cardrules.h"

#include <cstdlib>
#include <vector>

#include "telemetry/kalgpsmovietime.h"
#include "track/trip.h"

namespace {

std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month, day;
};

Civil civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {std::int64_t(yoe) + era * 400 + (m <= 2), m, d};
}

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

void appendPadded(std::string &out, std::int64_t value, int width)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (value < 0)
        out += '-';
    if (int(digits.size()) < width)
        out.append(std::size_t(width) - digits.size(), '0');
    out += digits;
}

int number(const std::string &digits, std::size_t at, std::size_t count)
{
    int v = 0;
    for (std::size_t i = at; i < at + count; ++i)
        v = v * 10 + (digits[i] - '0');
    return v;
}

// A run of digits as 14 (YYYYMMDDhhmmss) or 12 (YYMMDDhhmmss) digits.
std::optional<std::int64_t> dateTimeDigits(const std::string &d)
{
    std::size_t at = 0;
    int year = 0;
    if (d.size() == 14) {
        year = number(d, 0, 4);
        at = 4;
    } else if (d.size() == 12) {
        year = 2000 + number(d, 0, 2);
        at = 2;
    } else {
        return std::nullopt;
    }
    // Cameras with a clock that was never set start at their firmware's year; anything
    // before 2000 or after 2099 is a number in the name, not a date.
    if (year < 2000 || year > 2099)
        return std::nullopt;
    return civilSeconds(year, number(d, at, 2), number(d, at + 2, 2), number(d, at + 4, 2), number(d, at + 6, 2),
                        number(d, at + 8, 2));
}

bool isSeparator(char c) { return c == '_' || c == '-' || c == '.' || c == ' '; }

} // namespace

std::optional<std::int64_t> civilSeconds(int year, int month, int day, int hour, int minute, int second)
{
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    return daysFromCivil(year, unsigned(month), unsigned(day)) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string sampleTimeText(std::int64_t seconds)
{
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const Civil c = civilFromDays(days);
    std::string out;
    out.reserve(19);
    appendPadded(out, c.year, 4);
    out += '/';
    appendPadded(out, c.month, 2);
    out += '/';
    appendPadded(out, c.day, 2);
    out += ' ';
    appendPadded(out, rest / 3600, 2);
    out += ':';
    appendPadded(out, rest / 60 % 60, 2);
    out += ':';
    appendPadded(out, rest % 60, 2);
    return out;
}

std::optional<std::int64_t> cameraClockStart(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 255)
        name.resize(255);
    // The card's naming rules know each maker's layout (and the user's own); the digit scan
    // below reads any other name that carries a date and time.
    static const CardRules rules = loadCardRules(nullptr);
    if (const auto start = rules.readName(name).start)
        return start;
    // Digit groups and whether each follows the one before across a single separator.
    struct Group {
        std::string digits;
        bool joined; // a separator, and nothing else, lies between this group and the last
    };
    std::vector<Group> groups;
    std::size_t i = 0;
    while (i < name.size()) {
        if (name[i] < '0' || name[i] > '9') {
            ++i;
            continue;
        }
        const bool joined = !groups.empty() && i >= 1 && isSeparator(name[i - 1]) && i >= 2 && name[i - 2] >= '0' &&
                            name[i - 2] <= '9';
        std::size_t end = i;
        while (end < name.size() && name[end] >= '0' && name[end] <= '9')
            ++end;
        groups.push_back({name.substr(i, end - i), joined});
        i = end;
    }
    // The first run of joined groups that reads as a date and time, tried from each group.
    for (std::size_t first = 0; first < groups.size(); ++first) {
        std::string run;
        for (std::size_t k = first; k < groups.size() && (k == first || groups[k].joined); ++k) {
            run += groups[k].digits;
            if (run.size() > 14)
                break;
            if (const auto t = dateTimeDigits(run))
                return t;
        }
    }
    return std::nullopt;
}

std::optional<CameraClock> compareClocks(std::int64_t cameraStart, std::int64_t telemetryStart)
{
    const std::int64_t diff = cameraStart - telemetryStart;
    constexpr std::int64_t quarter = 15 * 60;
    // Nearest quarter hour; a half-way difference goes east (the larger offset).
    std::int64_t q = (diff + quarter / 2) / quarter;
    if ((diff + quarter / 2) % quarter != 0 && diff + quarter / 2 < 0)
        --q;
    const std::int64_t offset = q * quarter;
    if (offset < -kMaxZoneWestSeconds || offset > kMaxZoneEastSeconds)
        return std::nullopt;
    return CameraClock{int(offset), int(diff - offset)};
}

std::optional<CameraStart> recordingCameraStart(const std::string &path)
{
    if (const auto named = cameraClockStart(path))
        return CameraStart{*named, false};
    uint64_t created = 0;
    if (!kalGpsMovieCreationTime(path.c_str(), &created))
        return std::nullopt;
    // A camera whose clock was never set stamps its firmware's year, or 1904 itself plus a
    // little; as with names, only this century is a date.
    const std::int64_t civil = std::int64_t(created) - kKalGpsMovieEpochOffset;
    if (created > uint64_t(INT64_MAX / 2) || civil < *civilSeconds(2000, 1, 1, 0, 0, 0) ||
        civil > *civilSeconds(2099, 12, 31, 23, 59, 59))
        return std::nullopt;
    return CameraStart{civil, true};
}

std::optional<CameraClock> recordingClock(const std::string &path, const Track &track)
{
    if (!track)
        return std::nullopt;
    for (std::size_t i = 0; i < track->size(); ++i) {
        const auto t = sampleTimeSeconds((*track)[i].time);
        if (!t)
            continue;
        const auto camera = recordingCameraStart(path);
        if (!camera)
            return std::nullopt;
        auto clock = compareClocks(camera->civilSeconds, *t - std::int64_t(i));
        if (clock)
            clock->fromContainer = camera->fromContainer;
        return clock;
    }
    return std::nullopt;
}

std::string offsetName(int offsetSeconds)
{
    if (offsetSeconds == 0)
        return "UTC";
    const int a = std::abs(offsetSeconds);
    std::string out = offsetSeconds < 0 ? "UTC-" : "UTC+";
    out += std::to_string(a / 3600);
    if (a % 3600) {
        out += ':';
        appendPadded(out, a / 60 % 60, 2);
    }
    return out;
}

std::string isoOffset(int offsetSeconds)
{
    const int a = std::abs(offsetSeconds);
    std::string out = offsetSeconds < 0 ? "-" : "+";
    appendPadded(out, a / 3600, 2);
    out += ':';
    appendPadded(out, a / 60 % 60, 2);
    return out;
}

std::string signedDuration(int seconds)
{
    std::string out = seconds > 0 ? "+" : seconds < 0 ? "-" : "";
    const int a = std::abs(seconds);
    if (a >= 3600)
        out += std::to_string(a / 3600) + " h ";
    if (a >= 60)
        out += std::to_string(a / 60 % 60) + " min ";
    out += std::to_string(a % 60) + " s";
    return out;
}
