#include "cli/clipchannels.h"

#include <algorithm>

#include "telemetry/kalgpsmovietime.h"
#include "track/cardreader.h"

bool sortClipChannels(const std::vector<std::string> &files, const CardRules &rules, ClipChannels *out,
                      std::string *why)
{
    std::vector<CardEntry> entries;
    for (const std::string &f : files) {
        CardEntry e{f, std::nullopt};
        // A name without a time: the camera's clock in the movie header, as on a card.
        const auto slash = f.find_last_of('/');
        std::uint64_t created = 0;
        if (!rules.readName(slash == std::string::npos ? f : f.substr(slash + 1)).start &&
            kalGpsMovieCreationTime(f.c_str(), &created))
            e.created = std::int64_t(created) - kKalGpsMovieEpochOffset;
        entries.push_back(std::move(e));
    }
    const std::vector<CardGroup> groups = readCard(entries, rules);
    std::vector<CardChannel> channels;
    for (const CardGroup &g : groups)
        for (const CardFile &f : g.files)
            if (std::find(channels.begin(), channels.end(), f.channel) == channels.end())
                channels.push_back(f.channel);
    std::sort(channels.begin(), channels.end(), [](CardChannel a, CardChannel b) { return int(a) < int(b); });
    if (channels.size() < 2) {
        *why = "every recording is of the " + std::string(channels.empty() ? "same" : cardChannelName(channels[0])) +
               " camera; a layout needs the files of the other cameras of those moments too";
        return false;
    }
    const CardChannel main = channels.front(); // front when present: it comes first
    *out = ClipChannels{};
    out->mainChannel = cardChannelName(main);
    for (std::size_t c = 1; c < channels.size(); ++c)
        out->followerNames.push_back(cardChannelName(channels[c]));
    out->followers.resize(channels.size() - 1);
    for (const CardGroup &g : groups) {
        const auto m = std::find_if(g.files.begin(), g.files.end(), [&](const CardFile &f) { return f.channel == main; });
        if (m == g.files.end()) {
            *why = "no " + out->mainChannel + " recording for the moment of " + g.files.front().path +
                   " (the camera and time of each file are read from its name)";
            return false;
        }
        out->main.push_back(m->path);
        for (std::size_t c = 1; c < channels.size(); ++c) {
            const auto f = std::find_if(g.files.begin(), g.files.end(),
                                        [&](const CardFile &x) { return x.channel == channels[c]; });
            out->followers[c - 1].push_back(f == g.files.end() ? std::string() : f->path);
        }
    }
    return true;
}
