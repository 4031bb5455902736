#include "track/cardreader.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "telemetry/kalgpsmovietime.h"

namespace fs = std::filesystem;

namespace {

// The folders of a path, outermost first, and its file name.
std::vector<std::string> splitPath(const std::string &path)
{
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        if (slash > at)
            parts.push_back(path.substr(at, slash - at));
        at = slash + 1;
    }
    return parts;
}

std::string folderOf(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Same folder, or two folders with the same parent (Front/ beside Back/).
bool sameOrSibling(const std::string &a, const std::string &b)
{
    if (a == b)
        return true;
    if (a.empty() || b.empty())
        return false;
    return folderOf(a) == folderOf(b);
}

bool lowerEnding(const std::string &name, const std::vector<std::string> &endings)
{
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    std::string ending = name.substr(dot + 1);
    for (char &c : ending)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return std::find(endings.begin(), endings.end(), ending) != endings.end();
}

void walk(const std::string &dir, const std::string &relative, const CardRules &rules,
          const std::vector<std::string> &endings, std::vector<CardEntry> *into, std::vector<std::string> *unreadable)
{
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        if (unreadable)
            unreadable->push_back(dir + ": " + ec.message());
        return;
    }
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.')
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        const std::string path = dir + (dir.back() == '/' ? "" : "/") + name;
        const std::string rel = relative.empty() ? name : relative + "/" + name;
        struct stat link {};
        if (lstat(path.c_str(), &link) != 0)
            continue;
        if (S_ISDIR(link.st_mode)) {
            walk(path, rel, rules, endings, into, unreadable);
            continue;
        }
        struct stat target {};
        if (S_ISLNK(link.st_mode) && (stat(path.c_str(), &target) != 0 || !S_ISREG(target.st_mode)))
            continue;
        if ((!S_ISREG(link.st_mode) && !S_ISLNK(link.st_mode)) || !lowerEnding(name, endings))
            continue;
        CardEntry entry{rel, std::nullopt};
        uint64_t created = 0;
        if (!rules.readName(name).start && kalGpsMovieCreationTime(path.c_str(), &created))
            entry.created = int64_t(created) - kKalGpsMovieEpochOffset;
        into->push_back(std::move(entry));
    }
}

} // namespace

CardFile readCardFile(const CardEntry &entry, const CardRules &rules)
{
    const std::vector<std::string> parts = splitPath(entry.path);
    CardFile file;
    file.path = entry.path;
    if (parts.empty())
        return file;
    const CardNameReading name = rules.readName(parts.back());
    file.start = name.start ? name.start : entry.created;
    // The nearest folder that says something about the kind or the channel.
    std::optional<CardKind> folderKind;
    std::optional<CardChannel> folderChannel;
    bool locked = false;
    for (std::size_t i = parts.size() - 1; i-- > 0;) {
        locked = locked || rules.lockedFolder(parts[i]);
        if (!folderKind)
            folderKind = rules.folderKind(parts[i]);
        if (!folderChannel && i + 2 == parts.size())
            folderChannel = rules.folderChannel(parts[i]);
    }
    if (locked)
        file.kind = CardKind::Locked;
    else if (name.kind)
        file.kind = *name.kind;
    else if (folderKind)
        file.kind = *folderKind;
    file.channel = name.channel ? *name.channel : folderChannel.value_or(CardChannel::Front);
    return file;
}

std::vector<CardGroup> readCard(const std::vector<CardEntry> &entries, const CardRules &rules)
{
    std::vector<CardFile> files;
    files.reserve(entries.size());
    for (const CardEntry &e : entries)
        files.push_back(readCardFile(e, rules));
    std::sort(files.begin(), files.end(), [](const CardFile &a, const CardFile &b) {
        if (a.start.has_value() != b.start.has_value())
            return a.start.has_value();
        if (a.start != b.start)
            return *a.start < *b.start;
        return a.path < b.path;
    });
    std::vector<CardGroup> groups;
    std::vector<std::string> groupFolders; // of each group's first file
    std::size_t open = 0;                  // groups before this one started too early to take more
    for (CardFile &f : files) {
        CardGroup *home = nullptr;
        if (f.start) {
            while (open < groups.size() && *f.start - *groups[open].start > kCardGroupSeconds)
                ++open;
            const std::string folder = folderOf(f.path);
            for (std::size_t g = open; g < groups.size() && !home; ++g) {
                CardGroup &c = groups[g];
                const bool taken = std::any_of(c.files.begin(), c.files.end(),
                                               [&](const CardFile &o) { return o.channel == f.channel; });
                if (!taken && c.kind == f.kind && sameOrSibling(groupFolders[g], folder))
                    home = &c;
            }
        }
        if (!home) {
            groups.push_back(CardGroup{f.start, f.kind, {}});
            groupFolders.push_back(folderOf(f.path));
            home = &groups.back();
        }
        home->files.push_back(std::move(f));
    }
    for (CardGroup &g : groups)
        std::stable_sort(g.files.begin(), g.files.end(),
                         [](const CardFile &a, const CardFile &b) { return int(a.channel) < int(b.channel); });
    return groups;
}

std::vector<CardEntry> walkCard(const std::string &root, const CardRules &rules, const std::vector<std::string> &endings,
                                std::vector<std::string> *unreadable)
{
    std::vector<CardEntry> entries;
    std::string dir = root;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    walk(dir, {}, rules, endings, &entries, unreadable);
    return entries;
}
