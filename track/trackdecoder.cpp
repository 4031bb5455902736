#include "track/trackdecoder.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "track/datum.h"
#include "track/numbertext.h"

namespace {

void eraseAll(std::string &text, std::string_view what)
{
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
}

// Drops the hemisphere prefixes from a position item and returns the signed number.
// Binary records and camera text lines carry a southern or western position as a
// positive number with only the letter telling the hemisphere; text blocks already store
// it negative. Either way S/W must end up as a negative number, or the track is drawn on
// the wrong side of the planet. Lower-case letters, which text blocks may carry, are
// handled alike so that the number is not lost behind them.
std::string positionText(std::string token, std::string_view positive, std::string_view negative)
{
    const std::string positiveLower{char(positive[0] + ('a' - 'A')), ':'};
    const std::string negativeLower{char(negative[0] + ('a' - 'A')), ':'};
    const bool southOrWest = token.find(negative) != std::string::npos || token.find(negativeLower) != std::string::npos;
    eraseAll(token, positive);
    eraseAll(token, negative);
    eraseAll(token, positiveLower);
    eraseAll(token, negativeLower);
    // Any other letter ("-" for a missing or glitched one, as the library writes it) is
    // dropped too: the number after it is still the sample's position.
    if (const auto colon = token.find(':'); colon != std::string::npos && colon <= 4 &&
        token.find_first_of("0123456789") > colon)
        token.erase(0, colon + 1);
    if (southOrWest && !token.empty()) {
        if (token[0] == '+')
            token[0] = '-';
        else if ((token[0] >= '0' && token[0] <= '9') || token[0] == '.')
            token.insert(token.begin(), '-');
    }
    return token;
}

// "x:0.12" -> 0.12 read as a 32-bit float; a token too short to hold its prefix reads as 0.
double axisValue(std::string_view token)
{
    if (token.size() < 2)
        return 0;
    return double(leadingFloat(token.substr(2)));
}

std::optional<GPSItem> parseLine(std::string_view line, TrackDatum datum)
{
    std::vector<std::string_view> tokens;
    tokens.reserve(16);
    bool first = true; // the sequence number goes, even when it is the empty token of a leading space
    for (std::size_t start = 0;;) {
        const auto space = line.find(' ', start);
        const auto token = line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start);
        if (first)
            first = false;
        else if (!token.empty())
            tokens.push_back(token);
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    const std::size_t n = tokens.size();
    if (n < 8)
        return std::nullopt;

    std::string time;
    time.reserve(tokens[0].size() + 1 + tokens[1].size());
    time.append(tokens[0]).append(1, ' ').append(tokens[1]);
    std::string latitude = positionText(std::string(tokens[2]), "N:", "S:");
    std::string longitude = positionText(std::string(tokens[3]), "E:", "W:");

    if (datum == TrackDatum::Gcj02InsideChina && isInsideChina(leadingFloat(latitude), leadingFloat(longitude))) {
        const Coordinate gcj = wgs84ToGcj02({leadingDouble(latitude), leadingDouble(longitude)});
        latitude = sixDecimals(gcj.latitude);
        longitude = sixDecimals(gcj.longitude);
    }

    std::string speed;
    std::size_t axis = 6;
    if (n == 8) {
        // "36.5km/h": the unit is joined to the number.
        speed = tokens[4].size() >= 4 ? std::string(tokens[4].substr(0, tokens[4].size() - 4)) : std::string("0");
        axis = 5;
    } else {
        speed = std::string(tokens[4]);
    }
    return GPSItem(std::move(time), std::move(longitude), std::move(latitude), std::move(speed),
                   axisValue(tokens[axis]), axisValue(tokens[axis + 1]), axisValue(tokens[axis + 2]));
}

} // namespace

Track decodeGpsData(const std::vector<std::string> &lines, TrackDatum datum)
{
    if (lines.empty())
        return nullptr;
    auto samples = std::make_shared<std::vector<GPSItem>>();
    samples->reserve(lines.size());
    for (const std::string &line : lines) {
        if (auto item = parseLine(line, datum))
            samples->push_back(std::move(*item));
    }
    const auto byTime = [](const GPSItem &a, const GPSItem &b) { return a.time < b.time; };
    // Cameras write their samples in order; only a track that is not pays for the sort.
    if (!std::is_sorted(samples->begin(), samples->end(), byTime))
        std::stable_sort(samples->begin(), samples->end(), byTime);
    return samples;
}
