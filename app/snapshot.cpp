#include "app/snapshot.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <cmath>

#include "app/incidentpreferences.h"
#include "cli/safefile.h"
#include "core/zoneclocks.h"
#include "core/logging.h"
#include "core/mlanguagemanager.h"
#include "core/preferences.h"
#include "instruments/dashboardrenderer.h"
#include "playback/channelset.h"
#include "playback/mediaplayview.h"
#include "playback/playbackcontroller.h"
#include "playback/playcontrolview.h"
#include "playback/vlcengine.h"
#include "track/numbertext.h"
#include "track/tripstatistics.h"

namespace {
constexpr int kNoticeMs = 4000;
// Names tried for one snapshot before giving up: "NAME.png", then "NAME-2.png" and on.
constexpr int kMaxNames = 10000;

QString loc(const char *key) { return MLanguageManager::DPLocalizedString(QString::fromLatin1(key)); }

// Only what is safe in a file name on every desktop: letters, digits, '-', '_', '.'.
QString safeName(const QString &text)
{
    QString out;
    for (const QChar c : text)
        out += (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('.'))
                   ? c : QLatin1Char('_');
    return out.isEmpty() ? QStringLiteral("snapshot") : out;
}
} // namespace

Snapshot::Snapshot(QWidget *window, MediaPlayView *player, std::function<std::optional<GPSItem>()> sample,
                   std::function<QString()> recording, QObject *parent)
    : QObject(parent), m_player(player), m_sample(std::move(sample)), m_recording(std::move(recording))
{
    m_saveAction = new QAction(window);
    m_saveAction->setObjectName(QStringLiteral("snapshotAction"));
    m_saveAction->setShortcut(QKeySequence(Qt::Key_S));
    m_saveAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_saveAction, &QAction::triggered, this, [this] { save(); });
    m_copyAction = new QAction(window);
    m_copyAction->setObjectName(QStringLiteral("copySnapshotAction"));
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_copyAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_copyAction, &QAction::triggered, this, [this] { copy(); });
    window->addAction(m_saveAction);
    window->addAction(m_copyAction);

    if (m_player) {
        m_notice = new QLabel(m_player);
        m_notice->setObjectName(QStringLiteral("snapshotNotice"));
        m_notice->setStyleSheet(QStringLiteral(
            "QLabel { background: rgba(20,20,20,200); color: white; border-radius: 5px; padding: 6px 10px; }"));
        m_notice->setTextFormat(Qt::PlainText);
        m_notice->setWordWrap(true);
        m_notice->hide();
        m_noticeTimer = new QTimer(this);
        m_noticeTimer->setSingleShot(true);
        connect(m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);
    }
    retitle();
}

void Snapshot::retitle()
{
    m_saveAction->setText(loc("Snapshot.save"));
    m_copyAction->setText(loc("Snapshot.copy"));
    m_saveAction->setToolTip(loc("Snapshot.save") + QStringLiteral(" (S)"));
}

double Snapshot::currentSeconds() const
{
    if (!m_player)
        return 0;
    return m_player->controller()->time();
}

Snapshot::Stamp Snapshot::stampFor(const GPSItem &sample, const QString &unit)
{
    Stamp s;
    // In the zone the times of the recording on display are shown in, named.
    s.time = ZoneClocks::shared()->dateTimeText(sample.time);
    if (s.time.isEmpty())
        s.time = QString::fromStdString(sample.time);
    float v = leadingFloat(sample.speed);
    const bool mph = unit == QLatin1String("MPH");
    if (mph)
        v = TripStatistics::kmhToMph(v);
    if (std::isfinite(v))
        s.speed = QString::number(std::lround(double(v))) + (mph ? QStringLiteral(" mph") : QStringLiteral(" km/h"));
    const double lat = leadingDouble(sample.latitude), lon = leadingDouble(sample.longitude);
    if (std::isfinite(lat) && std::isfinite(lon) && std::abs(lat) <= 90 && std::abs(lon) <= 180 && (lat != 0 || lon != 0))
        s.position = QString::number(lat, 'f', 6) + QStringLiteral(", ") + QString::number(lon, 'f', 6);
    return s;
}

QImage Snapshot::stamped(const QImage &frame, const Stamp &stamp)
{
    QImage out = frame.convertToFormat(QImage::Format_RGB32);
    QStringList lines;
    for (const QString &t : {stamp.time, stamp.speed, stamp.position})
        if (!t.isEmpty())
            lines << t;
    if (out.isNull() || lines.isEmpty())
        return out;
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(10, out.height() / 30));
    font.setBold(true);
    p.setFont(font);
    const QFontMetrics fm(font);
    int w = 0;
    for (const QString &l : lines)
        w = std::max(w, fm.horizontalAdvance(l));
    const int pad = std::max(4, font.pixelSize() / 3);
    const QRect box(pad, out.height() - pad - (fm.height() * int(lines.size()) + 2 * pad), w + 2 * pad,
                    fm.height() * int(lines.size()) + 2 * pad);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(box, pad, pad);
    p.setPen(Qt::white);
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QPoint(box.left() + pad, box.top() + pad + fm.ascent() + i * fm.height()), lines[i]);
    return out;
}

QString Snapshot::fileName(const QString &folder, const QString &recording, const QString &sampleTime, double seconds)
{
    QString base = safeName(QFileInfo(recording).completeBaseName());
    QString when;
    if (sampleTime.size() >= 19) {
        when = sampleTime.left(19);
        when.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char(':'), QLatin1Char('-')).replace(QLatin1Char(' '), QLatin1Char('_'));
        when = safeName(when);
    } else {
        const qint64 s = std::isfinite(seconds) && seconds > 0 ? qint64(seconds) : 0;
        when = QStringLiteral("%1-%2-%3").arg(s / 3600, 2, 10, QLatin1Char('0')).arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                   .arg(s % 60, 2, 10, QLatin1Char('0'));
    }
    const QDir dir(folder);
    // A name is taken by anything there, a dangling link too (exists() follows links, and
    // writing through a planted link would create its target). Once every name is taken
    // there is none: nothing is ever written over.
    for (int n = 1; n < kMaxNames; ++n) {
        const QString name = base + QLatin1Char('_') + when +
                             (n == 1 ? QString() : QLatin1Char('-') + QString::number(n)) + QStringLiteral(".png");
        const QFileInfo info(dir.filePath(name));
        if (!info.exists() && !info.isSymLink())
            return dir.filePath(name);
    }
    return QString();
}

QImage Snapshot::picture() const
{
    if (!m_player)
        return QImage();
    QImage frame = m_player->previousPixelBuffer();
    if (frame.isNull() || m_player->playState() == MediaPlayStateStopped || m_player->playState() == MediaPlayStateError)
        return QImage();
    // The view may get pictures smaller than the recording's; a snapshot is the real thing.
    VlcEngine *engine = m_player->playerIfCreated();
    if (engine && engine->frameSize() != engine->sourceSize()) {
        const QImage full = engine->fullSizePicture();
        if (!full.isNull())
            frame = full;
    }
    const std::optional<GPSItem> sample = m_sample ? m_sample() : std::nullopt;
    const DashboardBand band = m_dashboard ? dashboardBand() : DashboardBand::Off;
    QImage out = frame.convertToFormat(QImage::Format_RGB32);
    if (IncidentPreferences::snapshotStamp() && sample) {
        // Over the picture, the band would hide the stamp: it goes in the corner above it.
        const int free = band == DashboardBand::Over ? out.height() - DashboardRenderer().bandRect(out.size()).height()
                                                      : out.height();
        const QImage part = stamped(out.copy(0, 0, out.width(), free), stampFor(*sample, Preferences::speedUnitType()));
        QPainter(&out).drawImage(0, 0, part);
    }
    if (band != DashboardBand::Off)
        out = withDashboard(out, m_dashboard(), band);
    return out;
}

Snapshot::DashboardBand Snapshot::dashboardBand()
{
    const QString v = QSettings().value(QLatin1String(kSnapshotWithDashboard)).toString();
    return v == QLatin1String("under") ? DashboardBand::Under
           : v == QLatin1String("over") ? DashboardBand::Over
                                        : DashboardBand::Off;
}

void Snapshot::setDashboardBand(DashboardBand band)
{
    QSettings().setValue(QLatin1String(kSnapshotWithDashboard),
                         band == DashboardBand::Under  ? QStringLiteral("under")
                         : band == DashboardBand::Over ? QStringLiteral("over")
                                                       : QStringLiteral("off"));
}

QImage Snapshot::withDashboard(const QImage &picture, const DashboardState &state, DashboardBand band)
{
    if (picture.isNull() || band == DashboardBand::Off)
        return picture;
    // A narrow picture leaves the read-out strip out: its texts would not fit.
    DashboardRenderer::Widgets widgets = DashboardRenderer::Dial | DashboardRenderer::Compass |
                                         DashboardRenderer::GSensor | DashboardRenderer::Route;
    if (picture.width() >= 1200)
        widgets |= DashboardRenderer::ReadoutCards;
    else
        widgets |= DashboardRenderer::SpeedReadout;
    const DashboardRenderer renderer(widgets);
    if (band == DashboardBand::Over) {
        QImage out = picture.convertToFormat(QImage::Format_RGB32);
        renderer.compose(out, state);
        return out;
    }
    // Under: the picture untouched, the band as tall as it would be over a 16:9 frame.
    const int w = picture.width();
    const int bandHeight = std::max(120, int(std::lround(w * 9.0 / 16.0 * renderer.extent())));
    if (picture.height() > 16384 - bandHeight)
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage out(w, picture.height() + bandHeight, QImage::Format_RGB32);
    out.fill(QColor(30, 30, 30));
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    renderer.paint(p, QRectF(0, picture.height(), w, bandHeight), state);
    return out;
}

QString Snapshot::save()
{
    m_lastSaved.clear();
    const QImage image = picture();
    if (image.isNull()) {
        showNotice(loc("Snapshot.nothing"));
        return QString();
    }
    const QString folder = IncidentPreferences::snapshotFolder();
    std::string why;
    // No folder (no home to find Pictures in) is no place, not the working folder.
    const SafeFolder dir = folder.isEmpty() ? SafeFolder()
                                            : SafeFolder::open(QFile::encodeName(folder).toStdString(), true, &why);
    if (!dir.isOpen()) {
        qCWarning(lcApp).noquote() << "snapshot:" << QString::fromStdString(why);
        showNotice(loc("Snapshot.failed") + QStringLiteral(" ") + folder);
        return QString();
    }
    const std::optional<GPSItem> sample = m_sample ? m_sample() : std::nullopt;
    const QString recording = m_recording ? m_recording() : QString();
    // A moment of several channels: one picture each, the channel in every name.
    const QList<QPair<QString, QImage>> others = m_player ? m_player->channels()->pictures() : QList<QPair<QString, QImage>>();
    const auto named = [&recording](const QString &channel) {
        if (channel.isEmpty())
            return recording;
        const QFileInfo info(recording);
        return info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('_') + channel + QStringLiteral(".png");
    };
    const QString path = writePng(dir, folder, image, named(others.isEmpty() ? QString() : m_player->channels()->mainChannel()), sample);
    if (path.isEmpty())
        return QString();
    m_lastSaved << path;
    const bool stamp = IncidentPreferences::snapshotStamp() && sample;
    for (const auto &[channel, picture] : others) {
        const QImage out = stamp ? stamped(picture, stampFor(*sample, Preferences::speedUnitType()))
                                 : picture.convertToFormat(QImage::Format_RGB32);
        const QString written = writePng(dir, folder, out, named(channel), sample);
        if (written.isEmpty())
            return path;
        m_lastSaved << written;
    }
    showNotice(loc("Snapshot.saved") + QStringLiteral(" ") + QDir::toNativeSeparators(path)
               + (others.isEmpty() ? QString() : QStringLiteral(" (+%1)").arg(others.size())));
    return path;
}

QString Snapshot::writePng(const SafeFolder &dir, const QString &folder, const QImage &image, const QString &recording,
                           const std::optional<GPSItem> &sample)
{
    std::string why;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        showNotice(loc("Snapshot.failed") + QStringLiteral(" ") + folder);
        return QString();
    }
    // Written only under a name nobody has taken: one that appears between choosing and
    // writing (even as a dangling link) sends us to the next name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = fileName(folder, recording, sample ? QString::fromStdString(sample->time) : QString(),
                                      currentSeconds());
        if (path.isEmpty())
            break;
        const SafeFolder::Result result = dir.write(QFile::encodeName(QFileInfo(path).fileName()).toStdString(),
                                                    std::string_view(png.constData(), std::size_t(png.size())),
                                                    SafeFolder::Existing::Keep, &why);
        if (result == SafeFolder::Result::Written)
            return path;
        if (result == SafeFolder::Result::Failed) {
            qCWarning(lcApp).noquote() << "snapshot:" << QString::fromStdString(why);
            showNotice(loc("Snapshot.failed") + QStringLiteral(" ") + path);
            return QString();
        }
    }
    showNotice(loc("Snapshot.failed") + QStringLiteral(" ") + folder);
    return QString();
}

bool Snapshot::copy()
{
    const QImage image = picture();
    if (image.isNull()) {
        showNotice(loc("Snapshot.nothing"));
        return false;
    }
    QGuiApplication::clipboard()->setImage(image);
    showNotice(loc("Snapshot.copied"));
    return true;
}

void Snapshot::showNotice(const QString &text)
{
    m_lastNotice = text;
    if (!m_notice)
        return;
    m_notice->setText(text);
    m_notice->setMaximumWidth(std::max(120, m_player->width() - 24));
    m_notice->adjustSize();
    m_notice->move(12, 12);
    m_notice->raise();
    m_notice->show();
    m_noticeTimer->start(kNoticeMs);
}
