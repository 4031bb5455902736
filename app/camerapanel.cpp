#include "app/camerapanel.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/cameradownloader.h"
#include "core/mlanguagemanager.h"
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

enum Role {
    UrlRole = Qt::UserRole,
    RelativeRole,
    SizeRole,
    KindRole,
    LocalRole,
    StreamRole,
};

bool isStream(const QString &name)
{
    const QString ext = name.section(QLatin1Char('.'), -1).toLower();
    return ext == QLatin1String("ts") || ext == QLatin1String("mts") || ext == QLatin1String("m2ts");
}

bool isRecording(const QString &name)
{
    static const QStringList endings = {QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("ts"),
                                        QStringLiteral("mts"), QStringLiteral("m2ts"), QStringLiteral("avi")};
    return endings.contains(name.section(QLatin1Char('.'), -1).toLower());
}

// "60 s · top 44 km/h · 0.9 km · 1 harsh events" for a track read from the camera.
QString summary(const Track &track)
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
        .arg(detectHarshEvents(track).size());
}

} // namespace

CameraPanel::CameraPanel(QWidget *parent)
    : QDialog(parent), m_connection(new CameraConnection(this)), m_downloader(new CameraDownloader(this))
{
    setObjectName(QStringLiteral("cameraPanel"));
    setWindowTitle(loc("Camera.address.title"));
    resize(760, 460);
    auto *layout = new QVBoxLayout(this);
    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);
    layout->addWidget(m_status);
    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(4);
    m_tree->setHeaderLabels({loc("File.name"), QString(), QString(), QString()});
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    m_tree->setColumnWidth(TelemetryColumn, 300);
    layout->addWidget(m_tree, 1);
    auto *buttons = new QHBoxLayout;
    auto *selected = new QPushButton(loc("Camera.download"), this);
    auto *events = new QPushButton(loc("Camera.events"), this);
    auto *locked = new QPushButton(loc("Camera.locked"), this);
    m_cancel = new QPushButton(loc("Camera.cancel"), this);
    m_cancel->setEnabled(false);
    m_overall = new QProgressBar(this);
    m_overall->setRange(0, 1000);
    m_overall->setValue(0);
    for (QWidget *w : std::initializer_list<QWidget *>{selected, events, locked, m_overall, m_cancel})
        buttons->addWidget(w);
    layout->addLayout(buttons);

    connect(selected, &QPushButton::clicked, this, [this] { downloadSelected(); });
    connect(events, &QPushButton::clicked, this, [this] { downloadKind(QStringLiteral("event")); });
    connect(locked, &QPushButton::clicked, this, [this] { downloadKind(QStringLiteral("locked")); });
    connect(m_cancel, &QPushButton::clicked, this, &CameraPanel::cancelDownloads);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *row) {
        if (row != m_header && row)
            emit playRequested(recordAt(row));
    });
    connect(m_connection, &CameraConnection::listed, this, &CameraPanel::showListing);
    connect(m_connection, &CameraConnection::failed, this, &CameraPanel::showFailure);

    connect(m_downloader, &CameraDownloader::fileProgress, this, [this](int index, qint64 done, qint64 total) {
        if (index < 0 || index >= m_downloading.size())
            return;
        if (auto *bar = qobject_cast<QProgressBar *>(m_tree->itemWidget(m_downloading[index], DownloadColumn)))
            bar->setValue(total > 0 ? int(done * 1000 / total) : 0);
    });
    connect(m_downloader, &CameraDownloader::fileFinished, this,
            [this](int index, const QString &localPath, const QString &error) {
        if (index < 0 || index >= m_downloading.size())
            return;
        QTreeWidgetItem *row = m_downloading[index];
        m_tree->removeItemWidget(row, DownloadColumn);
        if (error.isEmpty())
            row->setData(NameColumn, LocalRole, localPath);
        row->setText(DownloadColumn, error.isEmpty() ? loc("Camera.downloaded") : error);
    });
    connect(m_downloader, &CameraDownloader::overallProgress, this, [this](qint64 done, qint64 total) {
        m_overall->setValue(total > 0 ? int(done * 1000 / total) : 0);
    });
    connect(m_downloader, &CameraDownloader::finished, this, [this](int ok, int failed, bool) {
        m_cancel->setEnabled(false);
        setStatus(loc("Camera.done").arg(ok).arg(failed));
    });
}

CameraPanel::~CameraPanel()
{
    if (m_reading)
        KalGpsTool::shareTool()->cancel(m_reading);
}

QString CameraPanel::statusText() const
{
    return m_status->text();
}

void CameraPanel::setStatus(const QString &text)
{
    m_status->setText(text);
}

void CameraPanel::connectTo(const QUrl &address)
{
    if (m_reading)
        KalGpsTool::shareTool()->cancel(m_reading);
    m_reading = 0;
    ++m_generation;
    m_telemetryQueue.clear();
    m_tree->clear();
    m_address = address;
    m_header = new QTreeWidgetItem(m_tree, {loc("Camera.header").arg(address.toDisplayString())});
    m_header->setFlags(Qt::ItemIsEnabled);
    m_header->setFirstColumnSpanned(true);
    setStatus(loc("Camera.listing"));
    m_connection->list(address);
}

void CameraPanel::showFailure(const QString &message)
{
    setStatus(loc("Camera.failed").arg(message));
}

void CameraPanel::showListing(const CameraListing &listing)
{
    QList<QTreeWidgetItem *> streams;
    for (const CameraEntry &e : listing.entries) {
        const QString path = QString::fromStdString(e.path);
        const QString name = path.section(QLatin1Char('/'), -1);
        if (!isRecording(name))
            continue;
        auto *row = new QTreeWidgetItem(m_header);
        row->setText(NameColumn, path);
        row->setToolTip(NameColumn, QString::fromStdString(e.time));
        row->setText(SizeColumn, e.size ? QLocale::system().formattedDataSize(qint64(e.size)) : QString());
        row->setData(NameColumn, UrlRole, CameraConnection::fileUrl(m_address, e).toString());
        row->setData(NameColumn, RelativeRole, path);
        row->setData(NameColumn, SizeRole, qint64(e.size));
        row->setData(NameColumn, KindRole, m_kindOf ? m_kindOf(e) : QString());
        row->setData(NameColumn, StreamRole, isStream(name));
        row->setText(TelemetryColumn, isStream(name) ? loc("Camera.stream") : loc("Camera.waiting"));
        (isStream(name) ? streams : m_telemetryQueue).append(row);
    }
    m_telemetryQueue += streams; // their telemetry costs the whole file: last
    m_header->setExpanded(true);
    setStatus(listing.refused.empty() ? QString::fromLatin1(cameraDialectName(listing.dialect))
                                      : loc("Camera.refused").arg(listing.refused.size()));
    readNextTelemetry();
}

void CameraPanel::readNextTelemetry()
{
    if (m_reading || m_telemetryQueue.isEmpty())
        return;
    QTreeWidgetItem *row = m_telemetryQueue.takeFirst();
    if (!row->data(NameColumn, StreamRole).toBool())
        row->setText(TelemetryColumn, loc("Camera.reading"));
    const QString url = row->data(NameColumn, UrlRole).toString();
    QPointer<CameraPanel> self(this);
    m_reading = KalGpsTool::shareTool()->request(url, ExtractionPriority::Background,
                                                 [self, row, generation = m_generation](const Extraction &result) {
        if (!self || generation != self->m_generation)
            return; // the row went with an earlier listing
        self->m_reading = 0;
        if (result.status == ExtractionStatus::Complete && result.track && !result.track->empty())
            row->setText(TelemetryColumn, summary(result.track));
        else if (result.status == ExtractionStatus::Complete)
            row->setText(TelemetryColumn, loc("Camera.none"));
        else if (result.status == ExtractionStatus::Failed)
            row->setText(TelemetryColumn, loc("Camera.unreadable"));
        self->readNextTelemetry();
    });
}

MFileModel CameraPanel::recordAt(QTreeWidgetItem *row) const
{
    if (!row || row == m_header)
        return {};
    const QString local = row->data(NameColumn, LocalRole).toString();
    const QString path = local.isEmpty() ? row->data(NameColumn, UrlRole).toString() : local;
    MFileModel record(row->data(NameColumn, RelativeRole).toString().section(QLatin1Char('/'), -1), path);
    record.kind = row->data(NameColumn, KindRole).toString();
    return record;
}

QString CameraPanel::chooseFolder()
{
    return QFileDialog::getExistingDirectory(this, loc("Camera.folder"), QDir::homePath());
}

void CameraPanel::downloadSelected(const QString &folder)
{
    QList<QTreeWidgetItem *> rows;
    for (QTreeWidgetItem *row : m_tree->selectedItems()) {
        if (row != m_header)
            rows.append(row);
    }
    download(rows, folder);
}

int CameraPanel::downloadKind(const QString &kind, const QString &folder)
{
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; m_header && i < m_header->childCount(); ++i) {
        if (m_header->child(i)->data(NameColumn, KindRole).toString() == kind)
            rows.append(m_header->child(i));
    }
    if (rows.isEmpty())
        setStatus(loc("Camera.noneOfKind"));
    else
        download(rows, folder);
    return int(rows.size());
}

void CameraPanel::download(const QList<QTreeWidgetItem *> &rows, QString folder)
{
    if (rows.isEmpty() || m_downloader->isRunning())
        return;
    if (folder.isEmpty())
        folder = chooseFolder();
    if (folder.isEmpty())
        return;
    QList<CameraDownload> files;
    for (QTreeWidgetItem *row : rows) {
        files.append({QUrl(row->data(NameColumn, UrlRole).toString()), row->data(NameColumn, RelativeRole).toString(),
                      row->data(NameColumn, SizeRole).toLongLong()});
    }
    QString why;
    m_downloading = rows;
    if (!m_downloader->start(folder, files, &why)) {
        setStatus(loc("Camera.failed").arg(why));
        return;
    }
    for (QTreeWidgetItem *row : rows) {
        auto *bar = new QProgressBar(m_tree);
        bar->setRange(0, 1000);
        m_tree->setItemWidget(row, DownloadColumn, bar);
    }
    m_cancel->setEnabled(true);
}

void CameraPanel::cancelDownloads()
{
    m_downloader->cancel();
}
