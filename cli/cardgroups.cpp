#include "cli/cardgroups.h"

#include <sys/stat.h>

#include "telemetry/kalgpsmovietime.h"
#include "track/cardreader.h"

namespace {

// The endings -r reads.
const std::vector<std::string> kEndings = {"mp4", "mov", "ts", "mts", "m2ts", "avi", "txt"};

// A field as CSV has it: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

int writeRows(const std::vector<CardEntry> &entries, const CardRules &rules,
              const std::function<std::string(const std::string &)> &shown, std::ostream &out,
              std::ostream &err)
{
    const std::vector<CardGroup> groups = readCard(entries, rules);
    out << "group,start,kind,channel,path\n";
    std::size_t number = 0;
    for (const CardGroup &g : groups) {
        ++number;
        for (const CardFile &f : g.files)
            out << number << ',' << (f.start ? cardTimeText(*f.start) : std::string()) << ','
                << cardKindName(f.kind) << ',' << cardChannelName(f.channel) << ',' << csvField(shown(f.path))
                << '\n';
    }
    out.flush();
    if (!out) {
        err << "trava-gps: cannot write standard output\n";
        return 2;
    }
    return 0;
}

} // namespace

int printCardGroups(const std::vector<std::string> &paths, std::ostream &out, std::ostream &err)
{
    std::vector<std::string> problems;
    const CardRules rules = loadCardRules(&problems);
    for (const std::string &p : problems)
        err << "trava-gps: " << p << "\n";
    int status = 0;
    std::vector<CardEntry> entries;
    for (const std::string &arg : paths) {
        struct stat st {};
        if (stat(arg.c_str(), &st) != 0) {
            err << "trava-gps: cannot read " << arg << ": no such file or folder\n";
            status = 2;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            std::vector<std::string> unreadable;
            std::string prefix = arg;
            while (prefix.size() > 1 && prefix.back() == '/')
                prefix.pop_back();
            if (prefix != "/")
                prefix += '/';
            for (CardEntry &e : walkCard(arg, rules, kEndings, &unreadable)) {
                e.path = prefix + e.path;
                entries.push_back(std::move(e));
            }
            for (const std::string &u : unreadable) {
                err << "trava-gps: cannot read " << u << "\n";
                status = 2;
            }
        } else if (S_ISREG(st.st_mode)) {
            CardEntry e{arg, std::nullopt};
            const auto slash = arg.find_last_of('/');
            uint64_t created = 0;
            if (!rules.readName(slash == std::string::npos ? arg : arg.substr(slash + 1)).start &&
                kalGpsMovieCreationTime(arg.c_str(), &created))
                e.created = int64_t(created) - kKalGpsMovieEpochOffset;
            entries.push_back(std::move(e));
        } else {
            err << "trava-gps: cannot read " << arg << ": not a file or folder\n";
            status = 2;
        }
    }
    const int written = writeRows(entries, rules, [](const std::string &p) { return p; }, out, err);
    return written ? written : status;
}

int writeCardGroups(const std::vector<CardEntry> &entries,
                    const std::function<std::string(const std::string &)> &shown, std::ostream &out,
                    std::ostream &err)
{
    std::vector<std::string> problems;
    const CardRules rules = loadCardRules(&problems);
    for (const std::string &p : problems)
        err << "trava-gps: " << p << "\n";
    return writeRows(entries, rules, shown, out, err);
}
