#include "app/camerasource.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QTimeZone>

#include "app/camerabar.h"
#include "core/mlanguagemanager.h"
#include "library/cardgrouping.h"
#include "library/medialistmodel.h"
#include "library/medialistview.h"
#include "net/cameraconnection.h"
#include "service/kalgpstool.h"
#include "track/harshevents.h"
#include "track/numbertext.h"
#include "track/trip.h"

namespace {

QString loc(const char *key)
{
    return MLanguageManager::DPLocalizedString(QString::fromLatin1(key));
}

bool isStream(const QString &name)
{
    const QString ext = name.section(QLatin1Char('.'), -1).toLower();
    return ext == QLatin1String("ts") || ext == QLatin1String("mts") || ext == QLatin1String("m2ts");
}

bool isRecording(const std::string &path)
{
    static const QStringList endings = {QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("ts"),
                                        QStringLiteral("mts"), QStringLiteral("m2ts"), QStringLiteral("avi")};
    return endings.contains(QString::fromStdString(path).section(QLatin1Char('.'), -1).toLower());
}

// "60 s · top 44 km/h · 0.9 km · 1 harsh events" for a track read from the camera.
QString summary(const Track &track, int events)
{
    double top = 0, metres = 0;
    const GPSItem *previous = nullptr;
    for (const GPSItem &s : *track) {
        top = std::max(top, double(leadingFloat(s.speed)));
        if (previous)
            metres += greatCircleMetres(leadingDouble(previous->latitude), leadingDouble(previous->longitude),
                                        leadingDouble(s.latitude), leadingDouble(s.longitude));
        previous = &s;
    }
    return loc("Camera.summary")
        .arg(track->size())
        .arg(QString::number(top, 'f', 0))
        .arg(QString::number(metres / 1000.0, 'f', 1))
        .arg(events);
}

// The listing's clock ("2026-05-14 10:15:00") as the card rules count it: camera time read as UTC.
std::optional<std::int64_t> listedTime(const std::string &time)
{
    const QDateTime t = QDateTime::fromString(QString::fromStdString(time), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid())
        return std::nullopt;
    return QDateTime(t.date(), t.time(), QTimeZone::utc()).toSecsSinceEpoch();
}

} // namespace

CameraSource::CameraSource(MediaListView *list, QObject *parent)
    : QObject(parent), m_list(list), m_connection(new CameraConnection(this)), m_downloader(new CameraDownloader(this)),
      m_bar(new CameraBar)
{
    m_list->addFooter(m_bar);
    m_bar->hide();
    m_chooseFolder = [this] {
        return QFileDialog::getExistingDirectory(m_list->window(), loc("Camera.folder"), QDir::homePath());
    };
    m_list->setMenuExtension([this](QMenu *menu, int row) { extendMenu(menu, row); });
    connect(m_list, &MediaListView::sourceRemoved, this, [this](const QString &source) {
        if (source == m_source)
            stopAll();
    });
    connect(m_connection, &CameraConnection::listed, this, &CameraSource::showListing);
    connect(m_connection, &CameraConnection::failed, this, &CameraSource::showFailure);
    connect(m_bar, &CameraBar::downloadChecked, this, [this] { downloadChecked(); });
    connect(m_bar, &CameraBar::downloadKind, this, [this](const QString &kind) { downloadKind(kind); });
    connect(m_bar, &CameraBar::cancelRequested, this, &CameraSource::cancelDownloads);
    connect(m_bar, &CameraBar::disconnectRequested, this, &CameraSource::disconnectCamera);

    connect(m_downloader, &CameraDownloader::fileProgress, this, [this](int index, qint64 done, qint64 total) {
        if (index >= 0 && index < m_downloadUrls.size()) {
            m_done.insert(m_downloadUrls.at(index), {done, total});
            showRowProgress();
        }
    });
    connect(m_downloader, &CameraDownloader::fileFinished, this, &CameraSource::fileDone);
    connect(m_downloader, &CameraDownloader::overallProgress, this, [this](qint64 done, qint64 total) {
        if (m_bar)
            m_bar->setProgress(total > 0 ? int(done * 1000 / total) : 0);
    });
    connect(m_downloader, &CameraDownloader::finished, this, [this](int ok, int failed, bool) {
        if (m_bar)
            m_bar->setProgress(1000);
        setStatus(loc("Camera.done").arg(ok).arg(failed));
    });
}

CameraSource::~CameraSource()
{
    if (m_reading)
        KalGpsTool::shareTool()->cancel(m_reading);
    // The downloader's last reports (a cancel as it goes) find no list to write into.
    m_downloader->disconnect(this);
    m_connection->disconnect(this);
    if (m_list)
        m_list->setMenuExtension({});
}

MediaListView *CameraSource::list() const
{
    return m_list.data();
}

CameraBar *CameraSource::bar() const
{
    return m_bar;
}

QString CameraSource::statusText() const
{
    return m_bar ? m_bar->status() : QString();
}

void CameraSource::setStatus(const QString &text)
{
    if (m_bar)
        m_bar->setStatus(text);
}

void CameraSource::stopAll()
{
    if (m_reading)
        KalGpsTool::shareTool()->cancel(m_reading);
    m_reading = 0;
    ++m_generation;
    m_connection->cancel();
    m_downloader->cancel();
    m_telemetryQueue.clear();
    m_files.clear();
    m_currentPath.clear();
    m_telemetry.clear();
    m_streams.clear();
    if (m_bar)
        m_bar->hide();
}

void CameraSource::connectTo(const QUrl &address)
{
    if (!m_source.isEmpty())
        m_list->removeSource(m_source);
    stopAll();
    m_address = address;
    m_source = address.toString();
    MFileModel header(loc("Camera.header").arg(address.toDisplayString()), m_source);
    header.source = m_source;
    m_list->setSource(header, {});
    m_bar->setProgress(-1);
    m_bar->show();
    setStatus(loc("Camera.listing"));
    m_connection->list(address);
}

void CameraSource::disconnectCamera()
{
    if (!m_source.isEmpty())
        m_list->removeSource(m_source); // stops everything through sourceRemoved
    m_source.clear();
}

void CameraSource::showFailure(const QString &message)
{
    setStatus(loc("Camera.failed").arg(message));
}

void CameraSource::showListing(const CameraListing &listing)
{
    std::vector<CardEntry> entries;
    for (const CameraEntry &e : listing.entries) {
        if (!isRecording(e.path))
            continue;
        const QString url = CameraConnection::fileUrl(m_address, e).toString();
        m_files.insert(url, {QUrl(url), QString::fromStdString(e.path), qint64(e.size)});
        entries.push_back({e.path, listedTime(e.time)});
    }
    QHash<QString, QString> urlOf;
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
        urlOf.insert(it->relative, it.key());
    QList<MFileModel> rows = CardGrouping::listingRecords(
        entries, [&urlOf](const std::string &path) { return urlOf.value(QString::fromStdString(path)); });
    QStringList streams;
    for (MFileModel &row : rows) {
        row.source = m_source;
        m_currentPath.insert(row.fLocalPath, row.fLocalPath);
        if (isStream(row.fName)) {
            m_streams.insert(row.fLocalPath);
            streams << row.fLocalPath;
        } else {
            m_telemetryQueue << row.fLocalPath;
        }
    }
    m_telemetryQueue += streams; // their telemetry costs the whole file: last
    MFileModel header(loc("Camera.header").arg(m_address.toDisplayString()), m_source);
    header.source = m_source;
    m_list->setSource(header, rows);
    for (const QString &url : std::as_const(streams))
        m_list->model()->setRecordingStatus(url, loc("Camera.stream"));
    setStatus(listing.refused.empty() ? QString::fromLatin1(cameraDialectName(listing.dialect))
                                      : loc("Camera.refused").arg(listing.refused.size()));
    readNextTelemetry();
}

bool CameraSource::needsFullRead(const QString &path) const
{
    for (auto it = m_currentPath.cbegin(); it != m_currentPath.cend(); ++it)
        if (it.value() == path)
            return m_streams.contains(it.key());
    return false;
}

void CameraSource::readNextTelemetry()
{
    if (m_reading || m_telemetryQueue.isEmpty())
        return;
    const QString url = m_telemetryQueue.takeFirst();
    m_telemetry.insert(url, Telemetry::Reading);
    if (!m_streams.contains(url))
        m_list->model()->setRecordingStatus(m_currentPath.value(url), loc("Camera.reading"));
    QPointer<CameraSource> self(this);
    m_reading = KalGpsTool::shareTool()->request(url, ExtractionPriority::Background,
                                                 [self, url, generation = m_generation](const Extraction &result) {
        if (!self || !self->m_list || generation != self->m_generation)
            return; // the row went with an earlier listing
        self->m_reading = 0;
        MediaListModel *model = self->m_list->model();
        const QString path = self->m_currentPath.value(url);
        if (result.status == ExtractionStatus::Complete && result.track && !result.track->empty()) {
            const int events = int(detectHarshEvents(result.track).size());
            self->m_telemetry.insert(url, Telemetry::Read);
            model->setEventCount(path, events);
            model->setRecordingStatus(path, summary(result.track, events));
        } else {
            const bool none = result.status == ExtractionStatus::Complete;
            self->m_telemetry.insert(url, none ? Telemetry::None : Telemetry::Unreadable);
            model->setRecordingStatus(path, loc(none ? "Camera.none" : "Camera.unreadable"));
        }
        self->readNextTelemetry();
    });
}

QList<int> CameraSource::rows() const
{
    QList<int> out;
    const QList<MFileModel> &records = m_list->dataArray();
    for (int row = 0; row < records.size(); ++row)
        if (!m_source.isEmpty() && records.at(row).source == m_source && !records.at(row).sourceHeader)
            out << row;
    return out;
}

void CameraSource::downloadChecked(const QString &folder)
{
    downloadRows(m_list->model()->checkedRows(m_source), folder);
}

int CameraSource::downloadKind(const QString &kind, const QString &folder)
{
    QList<int> chosen;
    for (int row : rows())
        if (m_list->dataArray().at(row).kind == kind)
            chosen << row;
    if (chosen.isEmpty())
        setStatus(loc("Camera.noneOfKind"));
    else
        downloadRows(chosen, folder);
    return int(chosen.size());
}

void CameraSource::downloadRows(const QList<int> &rows, QString folder)
{
    QList<CameraDownload> files;
    QList<QString> urls;
    for (int row : rows) {
        if (row < 0 || row >= m_list->dataArray().size())
            continue;
        const MFileModel &m = m_list->dataArray().at(row);
        if (m.source != m_source || m.sourceHeader)
            continue;
        QStringList paths{m.fLocalPath};
        for (const MChannelFile &c : m.otherChannels)
            paths << c.fLocalPath;
        for (const QString &p : paths) {
            if (m_files.contains(p) && !urls.contains(p)) { // a downloaded file has its local path by now
                files << m_files.value(p);
                urls << p;
            }
        }
    }
    if (files.isEmpty() || m_downloader->isRunning())
        return;
    if (folder.isEmpty())
        folder = m_chooseFolder ? m_chooseFolder() : QString();
    if (folder.isEmpty())
        return;
    QString why;
    m_downloadUrls = urls;
    m_done.clear();
    if (!m_downloader->start(folder, files, &why)) {
        setStatus(loc("Camera.failed").arg(why));
        return;
    }
    m_bar->setProgress(0);
    showRowProgress();
}

void CameraSource::cancelDownloads()
{
    m_downloader->cancel();
}

QString CameraSource::keyOf(const QString &url) const
{
    const QList<MFileModel> &records = m_list->dataArray();
    for (const MFileModel &m : records) {
        if (m.source != m_source || m.sourceHeader)
            continue;
        if (m.fLocalPath == url)
            return url;
        for (const MChannelFile &c : m.otherChannels)
            if (c.fLocalPath == url)
                return m.fLocalPath;
    }
    return {};
}

void CameraSource::showRowProgress()
{
    // One bar per row: the moment's files together.
    QHash<QString, QPair<qint64, qint64>> byRow;
    for (const QString &url : std::as_const(m_downloadUrls)) {
        const QString row = keyOf(url);
        if (row.isEmpty())
            continue;
        const auto d = m_done.value(url, {0, m_files.value(url).size});
        byRow[row].first += d.first;
        byRow[row].second += std::max(d.first, d.second);
    }
    for (auto it = byRow.cbegin(); it != byRow.cend(); ++it)
        m_list->model()->setProgress(it.key(), it->second > 0 ? int(it->first * 1000 / it->second) : 0);
}

void CameraSource::fileDone(int index, const QString &localPath, const QString &error)
{
    if (index < 0 || index >= m_downloadUrls.size())
        return;
    const QString url = m_downloadUrls.at(index);
    const QString row = keyOf(url);
    const int at = row.isEmpty() ? -1 : m_list->getIndexWithModel(MFileModel(QString(), row));
    if (at < 0)
        return;
    if (!error.isEmpty()) {
        m_list->model()->setRecordingStatus(row, error);
        return;
    }
    // The file is on disk now: the row plays it from there.
    MFileModel m = m_list->dataArray().at(at);
    if (m.fLocalPath == url) {
        m.fLocalPath = localPath;
        for (auto it = m_currentPath.begin(); it != m_currentPath.end(); ++it)
            if (it.value() == url)
                it.value() = localPath;
    }
    for (MChannelFile &c : m.otherChannels)
        if (c.fLocalPath == url)
            c.fLocalPath = localPath;
    m_list->replaceRecord(row, m);
    m_list->model()->setProgress(m.fLocalPath, -1);
    bool whole = !MediaListView::isRemote(m);
    for (const MChannelFile &c : m.otherChannels)
        whole = whole && !c.fLocalPath.startsWith(QLatin1String("http"));
    if (whole)
        m_list->model()->setRecordingStatus(m.fLocalPath, loc("Camera.downloaded"));
}

void CameraSource::extendMenu(QMenu *menu, int row)
{
    const QList<MFileModel> &records = m_list->dataArray();
    if (m_source.isEmpty() || row < 0 || row >= records.size() || records.at(row).source != m_source)
        return;
    menu->addSeparator();
    if (!records.at(row).sourceHeader) {
        // The ticked rows, or this one when it is not among them.
        QAction *download = menu->addAction(loc("Camera.download"));
        connect(download, &QAction::triggered, this, [this, row] {
            const QList<int> checked = m_list->model()->checkedRows(m_source);
            downloadRows(checked.contains(row) ? checked : QList<int>{row});
        });
    }
    connect(menu->addAction(loc("Camera.events")), &QAction::triggered, this,
            [this] { downloadKind(QStringLiteral("event")); });
    connect(menu->addAction(loc("Camera.locked")), &QAction::triggered, this,
            [this] { downloadKind(QStringLiteral("locked")); });
    if (m_downloader->isRunning())
        connect(menu->addAction(loc("Camera.cancel")), &QAction::triggered, this, &CameraSource::cancelDownloads);
}
