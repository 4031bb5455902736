#include "core/zoneclocks.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTimeZone>

#include "core/mlanguagemanager.h"
#include "track/trip.h"

namespace {
constexpr char kZonesKey[] = "clock/zones"; // folder -> "recorded", "auto" or a zone id

QString loc(const char *key) { return MLanguageManager::DPLocalizedString(QString::fromLatin1(key)); }
} // namespace

ZoneClocks *ZoneClocks::shared()
{
    static ZoneClocks *clocks = new ZoneClocks;
    return clocks;
}

QString ZoneClocks::folderOf(const QString &recordingPath)
{
    return QFileInfo(recordingPath).absolutePath();
}

ZoneChoice ZoneClocks::choiceFor(const QString &recordingPath) const
{
    return folderChoice(folderOf(recordingPath));
}

ZoneChoice ZoneClocks::folderChoice(const QString &folder) const
{
    const QVariantMap zones = QSettings().value(QLatin1String(kZonesKey)).toMap();
    return ZoneChoice::fromText(zones.value(folder).toString().toStdString());
}

void ZoneClocks::setFolderChoice(const QString &folder, const ZoneChoice &choice)
{
    QSettings s;
    QVariantMap zones = s.value(QLatin1String(kZonesKey)).toMap();
    if (choice.mode == ZoneChoice::Mode::Recorded)
        zones.remove(folder);
    else
        zones.insert(folder, QString::fromStdString(choice.text()));
    s.setValue(QLatin1String(kZonesKey), zones);
    if (!m_path.isEmpty() && folderOf(m_path) == folder)
        m_clock = clockFor(m_path, m_track);
    emit choiceChanged(folder);
}

ZoneLookup ZoneClocks::lookupFor(const QString &zoneId)
{
    const QTimeZone zone(zoneId.toUtf8());
    if (!zone.isValid())
        return {};
    return [zone](std::int64_t utc) -> std::optional<ZoneOffset> {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(utc, Qt::UTC);
        if (!at.isValid())
            return std::nullopt;
        QString abbreviation = zone.abbreviation(at);
        // Zones without letters of their own come back as "+0545" or "UTC+05:45"; the offset
        // names them then.
        if (abbreviation.startsWith(u'+') || abbreviation.startsWith(u'-') ||
            (abbreviation.startsWith(QLatin1String("UTC")) && abbreviation.size() > 3) ||
            (abbreviation.startsWith(QLatin1String("GMT")) && abbreviation.size() > 3))
            abbreviation.clear();
        return ZoneOffset{zone.offsetFromUtc(at), abbreviation.toStdString()};
    };
}

std::optional<std::int64_t> ZoneClocks::cameraStart(const QString &path)
{
    const auto start = recordingCameraStart(QFile::encodeName(path).toStdString());
    return start ? std::optional<std::int64_t>(start->civilSeconds) : std::nullopt;
}

std::optional<CameraClock> ZoneClocks::cameraClock(const QString &path, const Track &track)
{
    return recordingClock(QFile::encodeName(path).toStdString(), track);
}

ZonedClock ZoneClocks::clockFor(const QString &path, const Track &track) const
{
    const ZoneChoice choice = choiceFor(path);
    if (choice.mode == ZoneChoice::Mode::Recorded)
        return {};
    const auto clock = cameraClock(path, track);
    return ::clockFor(choice, clock ? std::optional<int>(clock->offsetSeconds) : std::nullopt,
                      lookupFor(QString::fromStdString(choice.zone)));
}

std::function<ZonedClock(const std::string &, const Track &)> ZoneClocks::exportClock() const
{
    return [this](const std::string &path, const Track &track) {
        return clockFor(QFile::decodeName(QByteArray::fromStdString(path)), track);
    };
}

void ZoneClocks::setCurrent(const QString &path, const Track &track)
{
    m_path = path;
    m_track = track;
    m_clock = clockFor(path, track);
}

QString ZoneClocks::timeText(const std::string &sampleTime) const
{
    return QString::fromStdString(m_clock.timeText(sampleTime));
}

QString ZoneClocks::dateTimeText(const std::string &sampleTime) const
{
    return QString::fromStdString(m_clock.dateTimeText(sampleTime));
}

QString ZoneClocks::clockNote(const QString &path, const Track &track) const
{
    const auto clock = cameraClock(path, track);
    if (!clock)
        return {};
    QString note = loc("Clock.offset")
                       .arg(QString::fromStdString(offsetName(clock->offsetSeconds)),
                            QString::fromStdString(signedDuration(clock->errorSeconds)));
    if (clock->fromContainer)
        note += QLatin1Char('\n') + MLanguageManager::localized("Clock.fromContainer", "Camera's clock read from the file's creation time");
    std::string first;
    for (const GPSItem &s : *track)
        if (sampleTimeSeconds(s.time)) {
            first = s.time;
            break;
        }
    const ZoneChoice choice = choiceFor(path);
    if (warnLocalTimeAsUtc(clock->agreesToTheSecond(), choice, clockFor(path, track), first))
        note += QLatin1Char('\n') + loc("Clock.localAsUtc");
    return note;
}
