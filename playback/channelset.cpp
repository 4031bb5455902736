#include "playback/channelset.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QWidget>

#include <cmath>

#include "playback/channelview.h"
#include "playback/playbackcontroller.h"

namespace {
constexpr char kLayoutKey[] = "kChannelLayout";
constexpr char kCornerKey[] = "kChannelCorner";
constexpr char kOffsetGroup[] = "kChannelOffsets";

// The deepest folder holding every path.
QString commonFolder(const QStringList &paths)
{
    QString common;
    for (const QString &p : paths) {
        if (p.isEmpty())
            continue;
        const QString dir = QFileInfo(p).absolutePath();
        if (common.isNull()) {
            common = dir;
            continue;
        }
        while (!(dir == common || dir.startsWith(common.endsWith(QLatin1Char('/')) ? common : common + QLatin1Char('/')))) {
            const QString up = QFileInfo(common).path();
            if (up == common)
                break;
            common = up;
        }
    }
    return common;
}

// Settings keys take no slashes: the folder goes in as its digest.
QString folderKey(const QString &folder)
{
    return QString::fromLatin1(QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex());
}

bool validChannelWord(const QString &channel)
{
    if (channel.isEmpty() || channel.size() > 32)
        return false;
    for (const QChar c : channel)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_')))
            return false;
    return true;
}
} // namespace

ChannelSet::ChannelSet(QWidget *host, QWidget *leaderArea, PlaybackController *leader, QObject *parent)
    : QObject(parent), m_host(host), m_leaderArea(leaderArea), m_leader(leader)
{
    const QSettings s;
    m_mode = ChannelLayout::modeFromName(s.value(QLatin1String(kLayoutKey)).toString());
    m_corner = ChannelLayout::cornerFromName(s.value(QLatin1String(kCornerKey)).toString());
    connect(leader, &PlaybackController::stateChanged, this, &ChannelSet::updateVisibility);
    connect(leader, &PlaybackController::stopped, this, &ChannelSet::updateVisibility);
}

void ChannelSet::setChannels(const QString &mainChannel, const QList<MChannelFile> &others)
{
    m_mainChannel = mainChannel;
    m_others.clear();
    for (const MChannelFile &c : others)
        if (!c.fLocalPath.isEmpty())
            m_others << c;
}

ChannelView *ChannelSet::tile(int i) const { return i >= 0 && i < m_tiles.size() ? m_tiles.at(i) : nullptr; }

ChannelView *ChannelSet::tileOf(const QString &channel) const
{
    for (ChannelView *t : m_tiles)
        if (t->channel() == channel)
            return t;
    return nullptr;
}

void ChannelSet::start(const QString &mainPath)
{
    m_mainPath = mainPath;
    // Players are kept from one moment to the next: the next group starts without making new ones.
    while (m_tiles.size() > m_others.size()) {
        ChannelView *t = m_tiles.takeLast();
        t->controller()->unfollow();
        t->hide();
        t->deleteLater();
    }
    while (m_tiles.size() < m_others.size()) {
        auto *t = new ChannelView(m_host);
        connect(t, &ChannelView::clicked, this, [this, t] { tileClicked(t); });
        connect(t, &ChannelView::dropped, this, &ChannelSet::tileDropped);
        m_tiles << t;
    }
    if (!tileOf(m_bigChannel))
        m_bigChannel.clear();
    for (int i = 0; i < m_others.size(); ++i)
        m_tiles[i]->setChannel(m_others.at(i).channel, m_others.at(i).fLocalPath);
    rearrange();
    if (m_leader)
        for (int i = 0; i < m_others.size(); ++i)
            m_tiles[i]->start(*m_leader, offset(m_others.at(i).channel));
    updateVisibility();
}

void ChannelSet::updateVisibility()
{
    const bool active = m_leader && m_leader->isActive();
    for (ChannelView *t : std::as_const(m_tiles))
        t->setVisible(active);
}

void ChannelSet::setMode(ChannelLayout::Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    QSettings().setValue(QLatin1String(kLayoutKey), ChannelLayout::modeName(mode));
    rearrange();
}

void ChannelSet::setCorner(ChannelLayout::Corner corner)
{
    if (corner == m_corner)
        return;
    m_corner = corner;
    QSettings().setValue(QLatin1String(kCornerKey), ChannelLayout::cornerName(corner));
    rearrange();
}

int ChannelSet::big() const
{
    if (m_bigChannel.isEmpty())
        return -1;
    for (int i = 0; i < m_tiles.size(); ++i)
        if (m_tiles.at(i)->channel() == m_bigChannel)
            return i;
    return -1;
}

void ChannelSet::showBig(int tile)
{
    const QString channel = tile >= 0 && tile < m_tiles.size() ? m_tiles.at(tile)->channel() : QString();
    if (channel == m_bigChannel)
        return;
    m_bigChannel = channel;
    rearrange();
}

void ChannelSet::tileClicked(ChannelView *tile)
{
    const int i = int(m_tiles.indexOf(tile));
    if (i < 0)
        return;
    if (i == big())
        emit bigClicked();
    else
        showBig(i);
}

void ChannelSet::tileDropped(const QPoint &point)
{
    // Let go anywhere: the small pictures go to the corner nearest to where it was let go.
    const ChannelLayout::Corner corner = ChannelLayout::nearestCorner(m_area, point);
    if (m_mode != ChannelLayout::Mode::PictureInPicture || corner == m_corner)
        rearrange();
    else
        setCorner(corner);
}

void ChannelSet::rearrange()
{
    arrange(m_area.isEmpty() ? m_host->rect() : m_area);
    emit arrangementChanged();
}

void ChannelSet::arrange(const QRect &area)
{
    m_area = area;
    const int count = int(m_tiles.size());
    const QList<QRect> rects = ChannelLayout::rects(m_mode, m_corner, area, count + 1);
    if (rects.size() != count + 1) {
        m_leaderArea->setGeometry(area);
        return;
    }
    // Slot 0 is the big picture; the others keep their order.
    QList<QWidget *> order{m_leaderArea};
    for (ChannelView *t : std::as_const(m_tiles))
        order << t;
    const int b = big();
    if (b >= 0)
        order.move(b + 1, 0);
    for (int i = 0; i <= count; ++i)
        order.at(i)->setGeometry(rects.at(i));
    // The big picture at the bottom, the small ones over it.
    if (b >= 0)
        order.at(0)->stackUnder(m_leaderArea);
    for (int i = 1; i <= count; ++i)
        if (order.at(i) != m_leaderArea)
            order.at(i)->raise();
}

double ChannelSet::offset(const QString &channel) const
{
    if (!validChannelWord(channel))
        return 0.0;
    // Kept as whole milliseconds: no text of a fraction in the settings.
    bool ok = false;
    const qlonglong ms = QSettings().value(offsetKey(channel)).toLongLong(&ok);
    return ok ? qBound(-kMaxOffset, double(ms) / 1000.0, kMaxOffset) : 0.0;
}

void ChannelSet::setOffset(const QString &channel, double seconds)
{
    if (!validChannelWord(channel) || !std::isfinite(seconds))
        return;
    // Whole steps: repeated steps never collect rounding dust.
    seconds = qBound(-kMaxOffset, std::round(seconds / kOffsetStep) * kOffsetStep, kMaxOffset);
    const qlonglong ms = std::llround(seconds * 1000.0);
    QSettings s;
    if (ms == 0)
        s.remove(offsetKey(channel));
    else
        s.setValue(offsetKey(channel), ms);
    if (ChannelView *t = tileOf(channel))
        t->controller()->setFollowOffset(double(ms) / 1000.0);
}

QString ChannelSet::offsetKey(const QString &channel) const
{
    return QStringLiteral("%1/%2/%3").arg(QLatin1String(kOffsetGroup), folderKey(cardFolder()), channel);
}

QString ChannelSet::cardFolder() const
{
    QStringList paths{m_mainPath};
    for (const MChannelFile &c : m_others)
        if (!c.fLocalPath.contains(QLatin1String("://")))
            paths << c.fLocalPath;
    return commonFolder(paths);
}

QList<QPair<QString, QImage>> ChannelSet::pictures() const
{
    QList<QPair<QString, QImage>> out;
    for (ChannelView *t : m_tiles) {
        const QImage p = t->picture();
        if (!p.isNull())
            out.append({t->channel(), p});
    }
    return out;
}
