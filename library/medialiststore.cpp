#include "library/medialiststore.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
// A list of recordings is a few kilobytes; anything far larger is not ours.
constexpr qint64 kMaxListFileSize = 16 * 1024 * 1024;

// Reads one <dict> whose start tag is current; unknown value types are skipped.
bool readDict(QXmlStreamReader &xml, QVariantMap *dict)
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
        } else {
            xml.skipCurrentElement();
            key.clear();
        }
        if (xml.hasError())
            return false;
    }
    return !xml.hasError();
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
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

bool MediaListStore::parse(const QByteArray &data, QList<MFileModel> *records)
{
    QXmlStreamReader xml(data);
    // The DOCTYPE names a remote DTD; it is never fetched (the stream reader resolves
    // no external entities), and undeclared entities are an error, not an expansion.
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist"))
        return false;
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("array"))
        return false;
    QList<MFileModel> result;
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
        if (m.fLocalPath.isEmpty())
            continue;
        bool dup = false;
        for (const MFileModel &r : std::as_const(result))
            dup = dup || r.fLocalPath == m.fLocalPath;
        if (!dup)
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
    QFile file(m_path);
    const QFileInfo info(m_path);
    if (!info.exists())
        return {};
    if (!info.isFile()) {
        // Something else sits where the list belongs; leave it alone and keep the list in memory.
        m_readOnly = true;
        qWarning() << "media list path is not a file:" << m_path;
        return {};
    }
    QList<MFileModel> records;
    bool ok = false;
    if (file.size() <= kMaxListFileSize && file.open(QIODevice::ReadOnly))
        ok = parse(file.readAll(), &records);
    file.close();
    if (ok)
        return records;

    const QString aside = m_path + QStringLiteral(".damaged-")
                          + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmsszzz"));
    if (QFile::rename(m_path, aside)) {
        m_setAside = aside;
        qWarning() << "media list file unreadable, set aside as" << aside;
    } else {
        // Never overwrite what could not be moved away: this run keeps its list in memory.
        m_readOnly = true;
        qWarning() << "media list file unreadable and could not be set aside:" << m_path;
    }
    return {};
}

bool MediaListStore::save(const QList<MFileModel> &records)
{
    if (m_readOnly)
        return false;
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        qWarning() << "cannot create" << info.absolutePath();
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "cannot write" << m_path << file.errorString();
        return false;
    }
    file.write(serialize(records));
    if (!file.commit()) {
        qWarning() << "cannot write" << m_path << file.errorString();
        return false;
    }
    return true;
}
