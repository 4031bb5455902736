#include "track/cardrules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "track/cardpattern.h"
#include "track/trip.h"

extern const char kTravaShippedCardRules[]; // track/cardrules.txt, embedded at build time

namespace {

const char *const kKindNames[] = {"normal", "event", "parking", "locked", "manual", "unknown"};
const char *const kChannelNames[] = {"front", "rear",  "interior",    "telephoto",    "left",
                                     "right", "left_pillar", "right_pillar", "other"};
const char *const kBadges[] = {"F", "R", "I", "T", "L", "RR", "LP", "RP", "O"};

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::vector<std::string> words(const std::string &line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}

// "E:event,P:parking" into (letters, value) pairs; false on a pair that is not one.
template <typename T, typename F>
bool letterMap(const std::string &text, F fromName, std::vector<std::pair<std::string, T>> *into, std::string *why)
{
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string pair = text.substr(at, comma - at);
        const std::size_t colon = pair.find(':');
        if (colon == std::string::npos || colon == 0) {
            *why = "'" + pair + "' is not LETTERS:WORD";
            return false;
        }
        const auto value = fromName(lower(pair.substr(colon + 1)));
        if (!value) {
            *why = "unknown word '" + pair.substr(colon + 1) + "'";
            return false;
        }
        into->emplace_back(lower(pair.substr(0, colon)), *value);
        at = comma + 1;
    }
    // Longer letters first, so that "REC" is tried before "R".
    std::stable_sort(into->begin(), into->end(),
                     [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
    return true;
}

} // namespace

const char *cardKindName(CardKind kind) { return kKindNames[int(kind)]; }
const char *cardChannelName(CardChannel channel) { return kChannelNames[int(channel)]; }
const char *cardChannelBadge(CardChannel channel) { return kBadges[int(channel)]; }

std::optional<CardKind> cardKindFromName(const std::string &name)
{
    for (int i = 0; i < 6; ++i)
        if (name == kKindNames[i])
            return CardKind(i);
    return std::nullopt;
}

std::optional<CardChannel> cardChannelFromName(const std::string &name)
{
    for (int i = 0; i < 9; ++i)
        if (name == kChannelNames[i])
            return CardChannel(i);
    return std::nullopt;
}

CardRules CardRules::shipped()
{
    CardRules rules;
    std::vector<std::string> errors;
    rules.addText(kTravaShippedCardRules, "built-in rules", &errors);
    return rules;
}

void CardRules::addText(const std::string &text, const std::string &source, std::vector<std::string> *errors)
{
    std::vector<NameRule> added;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string &why) {
        if (errors)
            errors->push_back(source + ":" + std::to_string(number) + ": " + why + "; rule skipped");
    };
    while (std::getline(in, line)) {
        ++number;
        // '#' opens a comment at the start of a word ({#} in a pattern is a field).
        for (std::size_t hash = line.find('#'); hash != std::string::npos; hash = line.find('#', hash + 1)) {
            if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
                line.erase(hash);
                break;
            }
        }
        const std::vector<std::string> w = words(line);
        if (w.empty())
            continue;
        const std::string &what = w[0];
        if (what == "endings" && w.size() >= 2) {
            m_endings.clear();
            for (std::size_t i = 1; i < w.size(); ++i)
                m_endings.push_back(lower(w[i][0] == '.' ? w[i].substr(1) : w[i]));
        } else if (what == "kind-folder" && w.size() == 3) {
            const auto kind = cardKindFromName(lower(w[2]));
            if (!kind)
                fail("unknown kind '" + w[2] + "'");
            else
                m_folders.push_back({lower(w[1]), kind, false, std::nullopt});
        } else if (what == "locked-folder" && w.size() == 2) {
            m_folders.push_back({lower(w[1]), CardKind::Locked, true, std::nullopt});
        } else if (what == "channel-folder" && w.size() == 3) {
            const auto channel = cardChannelFromName(lower(w[2]));
            if (!channel)
                fail("unknown channel '" + w[2] + "'");
            else
                m_folders.push_back({lower(w[1]), std::nullopt, false, channel});
        } else if (what == "name" && w.size() >= 2) {
            NameRule rule;
            rule.pattern = w[1];
            std::string why;
            bool ok = true;
            for (std::size_t i = 2; i < w.size() && ok; ++i) {
                if (w[i].rfind("kinds=", 0) == 0)
                    ok = letterMap<CardKind>(w[i].substr(6), cardKindFromName, &rule.kinds, &why);
                else if (w[i].rfind("channels=", 0) == 0)
                    ok = letterMap<CardChannel>(w[i].substr(9), cardChannelFromName, &rule.channels, &why);
                else {
                    ok = false;
                    why = "unknown field '" + w[i] + "'";
                }
            }
            if (ok)
                ok = CardPattern::check(rule.pattern, !rule.kinds.empty(), !rule.channels.empty(), &why);
            if (ok)
                added.push_back(std::move(rule));
            else
                fail(why);
        } else {
            fail("not a rule: '" + what + "'");
        }
    }
    // A later file's name rules are more particular than the ones it extends.
    m_names.insert(m_names.begin(), added.begin(), added.end());
}

CardNameReading CardRules::readName(const std::string &fileName) const
{
    CardNameReading reading;
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return reading;
    const std::string ending = lower(fileName.substr(dot + 1));
    if (std::find(m_endings.begin(), m_endings.end(), ending) == m_endings.end())
        return reading;
    const std::string stem = lower(fileName.substr(0, dot));
    for (const NameRule &rule : m_names) {
        CardPattern::Match m;
        if (!CardPattern::match(rule.pattern, stem, rule, &m))
            continue;
        reading.matched = true;
        reading.kind = m.kind;
        reading.channel = m.channel;
        if (m.hasTime) {
            char text[20];
            std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", m.year, m.month, m.day, m.hour,
                          m.minute, m.second);
            reading.start = sampleTimeSeconds(text);
        }
        return reading;
    }
    return reading;
}

std::optional<CardKind> CardRules::folderKind(const std::string &folder) const
{
    const std::string key = lower(folder);
    for (const Folder &f : m_folders)
        if (f.kind && f.name == key)
            return f.kind;
    return std::nullopt;
}

bool CardRules::lockedFolder(const std::string &folder) const
{
    const std::string key = lower(folder);
    return std::any_of(m_folders.begin(), m_folders.end(), [&](const Folder &f) { return f.locked && f.name == key; });
}

std::optional<CardChannel> CardRules::folderChannel(const std::string &folder) const
{
    const std::string key = lower(folder);
    for (const Folder &f : m_folders)
        if (f.channel && f.name == key)
            return f.channel;
    return std::nullopt;
}

std::string userCardRulesPath()
{
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/')
        base = xdg;
    else if (const char *home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        return {};
    return base + "/Trava/Trava Player/cardrules.txt";
}

CardRules loadCardRules(std::vector<std::string> *errors)
{
    CardRules rules = CardRules::shipped();
    const std::string path = userCardRulesPath();
    if (path.empty())
        return rules;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        // Most users have none; only one that is there but cannot be read is worth a word.
        std::error_code ec;
        if (std::filesystem::exists(path, ec) && errors)
            errors->push_back(path + ": cannot be read; ignored");
        return rules;
    }
    std::string text;
    // A rule file is a few lines; a huge one is somebody's mistake, read in part.
    constexpr std::size_t kMaxBytes = 1 << 20;
    text.resize(kMaxBytes);
    in.read(text.data(), std::streamsize(kMaxBytes));
    text.resize(std::size_t(in.gcount()));
    if (text.find('\0') != std::string::npos) {
        if (errors)
            errors->push_back(path + ": not a text file; ignored");
        return rules;
    }
    rules.addText(text, path, errors);
    return rules;
}

std::string cardTimeText(std::int64_t seconds)
{
    std::int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    std::int64_t rest = seconds - days * 86400;
    // Civil date of a day count (proleptic Gregorian).
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = unsigned(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = std::int64_t(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02d", static_cast<long long>(y), m, d,
                  int(rest / 3600), int(rest / 60 % 60), int(rest % 60));
    return text;
}
