#include "cli/systemzone.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <mutex>

namespace {

// A zone name is a relative path of plain words: no "..", no hidden or absolute paths, so
// that a name can never reach a file outside the database.
bool plainZoneName(const std::string &zone)
{
    if (zone.empty() || zone.size() > 100 || zone.front() == '/' || zone.back() == '/')
        return false;
    bool wordStart = true;
    for (char c : zone) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                            c == '-' || c == '+';
        if (c == '/') {
            if (wordStart)
                return false;
            wordStart = true;
        } else if (!letter) {
            return false;
        } else {
            wordStart = false;
        }
    }
    return true;
}

std::mutex &zoneMutex()
{
    static std::mutex m;
    return m;
}

} // namespace

ZoneLookup useSystemZone(const std::string &zone, std::string *why)
{
    if (!plainZoneName(zone)) {
        *why = "unknown time zone '" + zone + "'";
        return {};
    }
    const char *dir = std::getenv("TZDIR");
    const std::string file = std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/" + zone;
    // The C library falls back to UTC for a zone it cannot read, silently; check first.
    char magic[4] = {};
    std::ifstream in(file, std::ios::binary);
    if (!in.read(magic, 4) || std::string(magic, 4) != "TZif") {
        *why = "unknown time zone '" + zone + "' (no such zone in " + file.substr(0, file.size() - zone.size() - 1) + ")";
        return {};
    }
    setenv("TZ", (":" + file).c_str(), 1);
    tzset();
    return [](std::int64_t utcSeconds) -> std::optional<ZoneOffset> {
        const std::time_t t = std::time_t(utcSeconds);
        std::tm local{};
        const std::lock_guard<std::mutex> lock(zoneMutex());
        if (!localtime_r(&t, &local))
            return std::nullopt;
        std::string abbreviation = local.tm_zone ? local.tm_zone : "";
        // The database writes "+0545" where a zone has no letters; that is an offset, not a name.
        if (!abbreviation.empty() && (abbreviation[0] == '+' || abbreviation[0] == '-'))
            abbreviation.clear();
        return ZoneOffset{int(local.tm_gmtoff), abbreviation};
    };
}
