#include "library/medialiststore.h"
#include "core/logging.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "core/xmllimits.h"

// Defined with the store, which the fuzz build links without the view.
Q_LOGGING_CATEGORY(lcList, "trava.list")

namespace {
// A list of recordings is a few kilobytes; anything far larger is not ours.
constexpr qint64 kMaxListFileSize = 16 * 1024 * 1024;
// Our own lists use one attribute (the plist version) and four levels; the caps leave
// room for lists written by other tools while keeping the XML reader's work linear.
constexpr XmlLimits::Caps kListCaps{kMaxListFileSize, 16, 2 * 1000 * 1000, 64};

const QString kOtherChannels = QStringLiteral("otherChannels");

bool readDict(QXmlStreamReader &xml, QVariantMap *dict, bool nested = false);

// The <array> of a record's other channels: one <dict> each, whose own arrays are not ours.
bool readChannelArray(QXmlStreamReader &xml, QVariantList *list)
{
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("dict")) {
            xml.skipCurrentElement();
            continue;
        }
        QVariantMap channel;
        if (!readDict(xml, &channel, true))
            return false;
        list->append(channel);
    }
    return !xml.hasError();
}

// Reads one <dict> whose start tag is current; unknown value types are skipped, and so is
// an array under any key but a record's other channels (or inside one of those).
bool readDict(QXmlStreamReader &xml, QVariantMap *dict, bool nested)
{
    QString key;
    while (xml.readNextStartElement()) {
        const auto name = xml.name();
        if (name == QLatin1String("key")) {
            key = xml.readElementText();
        } else if (name == QLatin1String("string")) {
            const QString value = xml.readElementText();
            if (!key.isNull())
                dict->insert(key, value);
            key.clear();
        } else if (name == QLatin1String("array") && !nested && key == kOtherChannels) {
            QVariantList channels;
            if (!readChannelArray(xml, &channels))
                return false;
            dict->insert(key, channels);
            key.clear();
        } else {
            xml.skipCurrentElement();
            key.clear();
        }
        if (xml.hasError())
            return false;
    }
    return !xml.hasError();
}

// A card's record keeps its channel, kind and other channels across a restart; a lone
// file's entry stays the two keys it always had.
void writeCardFields(QXmlStreamWriter &xml, const MFileModel &m)
{
    auto text = [&xml](const QString &key, const QString &value) {
        xml.writeTextElement(QStringLiteral("key"), key);
        xml.writeTextElement(QStringLiteral("string"), value);
    };
    if (!m.channel.isEmpty())
        text(QStringLiteral("channel"), m.channel);
    if (!m.kind.isEmpty())
        text(QStringLiteral("kind"), m.kind);
    if (m.otherChannels.isEmpty())
        return;
    xml.writeTextElement(QStringLiteral("key"), kOtherChannels);
    xml.writeStartElement(QStringLiteral("array"));
    for (const MChannelFile &c : m.otherChannels) {
        xml.writeStartElement(QStringLiteral("dict"));
        text(QStringLiteral("channel"), c.channel);
        text(QStringLiteral("fLocalPath"), c.fLocalPath);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}
} // namespace

MediaListStore::MediaListStore()
    : m_path(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/mediaList"))
{
}

MediaListStore::MediaListStore(QString path) : m_path(std::move(path)) {}

QByteArray MediaListStore::serialize(const QList<MFileModel> &records)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(-1);  // tabs, as property lists are usually written
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    xml.writeStartElement(QStringLiteral("plist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("array"));
    for (const MFileModel &m : records) {
        xml.writeStartElement(QStringLiteral("dict"));
        xml.writeTextElement(QStringLiteral("key"), QStringLiteral("fName"));
        xml.writeTextElement(QStringLiteral("string"), m.fName);
        xml.writeTextElement(QStringLiteral("key"), QStringLiteral("fLocalPath"));
        xml.writeTextElement(QStringLiteral("string"), m.fLocalPath);
        writeCardFields(xml, m);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

bool MediaListStore::parse(const QByteArray &data, QList<MFileModel> *records)
{
    QString refused;
    if (!XmlLimits::check(data, kListCaps, &refused)) {
        qCWarning(lcList) << "media list refused:" << refused;
        return false;
    }
    QXmlStreamReader xml(data);
    // The DOCTYPE names a remote DTD; it is never fetched (the stream reader resolves
    // no external entities), and undeclared entities are an error, not an expansion.
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist"))
        return false;
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("array"))
        return false;
    QList<MFileModel> result;
    QSet<QString> seen;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("dict")) {
            xml.skipCurrentElement();
            continue;
        }
        QVariantMap dict;
        if (!readDict(xml, &dict))
            return false;
        MFileModel m = MFileModel::initWithDictionary(dict);
        // A record without a path cannot be played; a repeated path breaks the list's rule.
        if (m.fLocalPath.isEmpty() || seen.contains(m.fLocalPath))
            continue;
        seen.insert(m.fLocalPath);
        result.append(m);
    }
    if (xml.hasError())
        return false;
    // The rest of the document must be well-formed too.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return false;
    *records = result;
    return true;
}

QList<MFileModel> MediaListStore::load()
{
    m_setAside.clear();
    m_readOnly = false;
    m_base.clear();
    QFile file(m_path);
    const QFileInfo info(m_path);
    if (!info.exists())
        return {};
    if (!info.isFile()) {
        // Something else sits where the list belongs; leave it alone and keep the list in memory.
        m_readOnly = true;
        qCWarning(lcList) << "media list path is not a file:" << m_path;
        return {};
    }
    QList<MFileModel> records;
    bool ok = false;
    if (file.size() <= kMaxListFileSize && file.open(QIODevice::ReadOnly))
        ok = parse(file.readAll(), &records);
    file.close();
    if (ok) {
        m_base = records;
        return records;
    }

    const QString aside = m_path + QStringLiteral(".damaged-")
                          + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmsszzz"));
    if (QFile::rename(m_path, aside)) {
        m_setAside = aside;
        qCWarning(lcList) << "media list file unreadable, set aside as" << aside;
    } else {
        // Never overwrite what could not be moved away: this run keeps its list in memory.
        m_readOnly = true;
        qCWarning(lcList) << "media list file unreadable and could not be set aside:" << m_path;
    }
    return {};
}

QList<MFileModel> MediaListStore::merge(const QList<MFileModel> &base, const QList<MFileModel> &ours,
                                       const QList<MFileModel> &theirs)
{
    QSet<QString> inBase, inOurs;
    inBase.reserve(base.size());
    inOurs.reserve(ours.size());
    for (const MFileModel &m : base)
        inBase.insert(m.fLocalPath);
    for (const MFileModel &m : ours)
        inOurs.insert(m.fLocalPath);
    QSet<QString> inTheirs;
    inTheirs.reserve(theirs.size());
    QList<MFileModel> result;
    // What the other writer added since we last synchronised goes on top, as new
    // entries do; what it removed stays removed, and so does what we removed.
    for (const MFileModel &m : theirs) {
        inTheirs.insert(m.fLocalPath);
        if (!inBase.contains(m.fLocalPath) && !inOurs.contains(m.fLocalPath))
            result.append(m);
    }
    for (const MFileModel &m : ours)
        if (!inBase.contains(m.fLocalPath) || inTheirs.contains(m.fLocalPath))
            result.append(m);
    return result;
}

bool MediaListStore::save(const QList<MFileModel> &records, QList<MFileModel> *merged)
{
    if (merged)
        *merged = records;
    if (m_readOnly)
        return false;
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        qCWarning(lcList) << "cannot create" << info.absolutePath();
        return false;
    }
    // A second player (or a second window of one) may write the same list: writers take
    // turns, and each merges what the other changed since it last read the file.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(kStaleLockMs);
    if (!lock.tryLock(kLockWaitMs)) {
        qCWarning(lcList) << "media list is locked by another writer; not saved now:" << m_path;
        return false;
    }
    QList<MFileModel> theirs = m_base;
    {
        QFile current(m_path);
        if (current.size() <= kMaxListFileSize && current.open(QIODevice::ReadOnly)) {
            QList<MFileModel> onDisk;
            if (parse(current.readAll(), &onDisk))
                theirs = onDisk;
        } else if (!QFileInfo::exists(m_path)) {
            theirs.clear();
        }
    }
    const QList<MFileModel> result = merge(m_base, records, theirs);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcList) << "cannot write" << m_path << file.errorString();
        return false;
    }
    file.write(serialize(result));
    if (!file.commit()) {
        qCWarning(lcList) << "cannot write" << m_path << file.errorString();
        return false;
    }
    m_base = result;
    if (merged)
        *merged = result;
    return true;
}
