#include "library/cardgrouping.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "core/logging.h"
#include "telemetry/kalgpsmovietime.h"
#include "track/cardreader.h"

namespace {

// Read once a run: a bad rule in the user's file is told once, not at every folder opened.
const CardRules &rules()
{
    static const CardRules loaded = [] {
        std::vector<std::string> problems;
        CardRules r = loadCardRules(&problems);
        for (const std::string &p : problems)
            qCWarning(lcList).noquote() << "card rules:" << QString::fromStdString(p);
        return r;
    }();
    return loaded;
}

// The records of a card's groups: moments with a time in the order they were recorded (a
// card's Movie/ and RO/ interleave), the others after them as they were offered.
QList<MFileModel> grouped(const std::vector<CardEntry> &entries, const CardRules &r,
                          const std::function<qsizetype(const std::string &)> &offeredAt,
                          const std::function<QString(const std::string &)> &pathOf)
{
    struct Placed {
        qsizetype at;
        std::optional<std::int64_t> start;
        MFileModel record;
    };
    std::vector<Placed> placed;
    for (const CardGroup &g : readCard(entries, r)) {
        qsizetype first = std::numeric_limits<qsizetype>::max();
        for (const CardFile &f : g.files)
            first = std::min(first, offeredAt(f.path));
        const CardFile &main = g.files.front();
        MFileModel m(QString::fromStdString(main.path).section(QLatin1Char('/'), -1), pathOf(main.path));
        m.channel = QString::fromLatin1(cardChannelName(main.channel));
        m.kind = QString::fromLatin1(cardKindName(main.kind));
        for (std::size_t i = 1; i < g.files.size(); ++i)
            m.otherChannels.append({QString::fromLatin1(cardChannelName(g.files[i].channel)), pathOf(g.files[i].path)});
        placed.push_back({first, g.start, std::move(m)});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        if (a.start.has_value() != b.start.has_value())
            return a.start.has_value();
        return a.start ? *a.start < *b.start : a.at < b.at;
    });
    QList<MFileModel> out;
    out.reserve(qsizetype(placed.size()));
    for (Placed &p : placed)
        out.append(std::move(p.record));
    return out;
}

} // namespace

namespace CardGrouping {

QList<MFileModel> records(const QStringList &paths)
{
    const CardRules &r = rules();
    std::vector<CardEntry> entries;
    entries.reserve(std::size_t(paths.size()));
    QHash<QString, qsizetype> offeredAt;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        if (path.isEmpty() || offeredAt.contains(path))
            continue;
        offeredAt.insert(path, i);
        CardEntry e{path.toStdString(), std::nullopt};
        uint64_t created = 0;
        if (!r.readName(QFileInfo(path).fileName().toStdString()).start &&
            kalGpsMovieCreationTime(QFile::encodeName(path).constData(), &created))
            e.created = int64_t(created) - kKalGpsMovieEpochOffset;
        entries.push_back(std::move(e));
    }
    return grouped(entries, r, [&](const std::string &path) { return offeredAt.value(QString::fromStdString(path)); },
                   [](const std::string &path) { return QString::fromStdString(path); });
}

QList<MFileModel> listingRecords(const std::vector<CardEntry> &entries,
                                 const std::function<QString(const std::string &)> &pathOf)
{
    std::unordered_map<std::string, qsizetype> at;
    for (std::size_t i = 0; i < entries.size(); ++i)
        at.emplace(entries[i].path, qsizetype(i));
    return grouped(entries, rules(), [&](const std::string &path) { return at.at(path); }, pathOf);
}

QString badges(const MFileModel &record)
{
    if (record.otherChannels.isEmpty() && (record.channel.isEmpty() || record.channel == QLatin1String("front")))
        return QString();
    QStringList out;
    auto badge = [](const QString &channel) {
        const auto c = cardChannelFromName(channel.toStdString());
        return QString::fromLatin1(cardChannelBadge(c.value_or(CardChannel::Other)));
    };
    out << badge(record.channel);
    for (const MChannelFile &c : record.otherChannels)
        out << badge(c.channel);
    return out.join(QLatin1Char(' '));
}

QString kindOf(const QString &cardPath)
{
    // The kind comes from the name and folders only: no header read, no start needed.
    const CardFile file = readCardFile(CardEntry{cardPath.toStdString(), std::nullopt}, rules());
    return QString::fromLatin1(cardKindName(file.kind));
}

void keepKnownWords(QList<MFileModel> &records)
{
    const auto knownChannel = [](const QString &w) { return cardChannelFromName(w.toStdString()).has_value(); };
    for (MFileModel &m : records) {
        if (!m.kind.isEmpty() && !cardKindFromName(m.kind.toStdString()))
            m.kind.clear();
        if (!m.channel.isEmpty() && !knownChannel(m.channel))
            m.channel.clear();
        for (MChannelFile &c : m.otherChannels)
            if (!knownChannel(c.channel))
                c.channel = QStringLiteral("other");
    }
}

} // namespace CardGrouping
