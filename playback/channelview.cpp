#include "playback/channelview.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QtMath>

#include <cmath>

#include "core/logging.h"
#include "core/mlanguagemanager.h"
#include "playback/playbackcontroller.h"
#include "playback/videooutput.h"
#include "playback/vlcengine.h"

namespace {
// Lengths further apart than this are worth a word: cameras cut their channels a few frames apart.
constexpr double kLengthSlackSeconds = 1.0;
constexpr int kDragStartPixels = 6;

QString channelTitle(const QString &channel)
{
    const QString key = QStringLiteral("Channel.") + channel;
    const QString text = MLanguageManager::DPLocalizedString(key);
    if (!text.isEmpty() && text != key)
        return text;
    QString t = channel;
    t.replace(QLatin1Char('_'), QLatin1Char(' '));
    if (!t.isEmpty())
        t[0] = t[0].toUpper();
    return t;
}

QString fill(const char *key, const char *fallback, const QStringList &args)
{
    QString text = MLanguageManager::localized(key, fallback);
    for (const QString &a : args)
        text = text.arg(a);
    return text;
}
} // namespace

ChannelView::ChannelView(QWidget *parent) : QWidget(parent), m_controller(std::make_unique<PlaybackController>())
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    m_area = new QWidget(this);
    m_area->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_output = new VideoOutput(m_area, this);
    const QString labelStyle = QStringLiteral(
        "QLabel { background: rgba(0,0,0,150); color: white; border-radius: 3px; padding: 1px 4px; }");
    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText);
    m_name->setStyleSheet(labelStyle);
    m_name->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_note = new QLabel(this);
    m_note->setTextFormat(Qt::PlainText); // names come from the card: never markup
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setStyleSheet(labelStyle);
    m_note->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_note->hide();

    PlaybackController *c = m_controller.get();
    connect(c, &PlaybackController::pictureShown, this, [this](const QImage &picture, double) {
        m_output->present(picture);
        if (!m_checked)
            checkAgainstLeader();
    });
    connect(c, &PlaybackController::stateChanged, this, [this](PlaybackController::State s) {
        if (s == PlaybackController::State::Error) {
            setMessage(fill("Channel.cannotPlay", "%1: cannot be played", {channelTitle(m_channel)}));
        } else if (s == PlaybackController::State::Finished && m_leader && m_leader->isActive()
                   && m_leader->length() - m_leader->time() > kLengthSlackSeconds) {
            setMessage(fill("Channel.endedEarly", "%1 ends here (the file is shorter or cut off)",
                            {channelTitle(m_channel)}));
        }
    });
    connect(c, &PlaybackController::stopped, this, [this] {
        // Seen from the main channel, a stop of its own; the last picture stays until the next.
        if (!m_leader || !m_leader->isActive())
            m_output->teardown();
    });
}

ChannelView::~ChannelView()
{
    // The player first: releasing it joins libVLC's threads.
    m_controller.reset();
}

void ChannelView::setChannel(const QString &channel, const QString &path)
{
    m_channel = channel;
    m_path = path;
    m_name->setText(channelTitle(channel));
    m_name->adjustSize();
    layoutLabels();
}

void ChannelView::start(PlaybackController &leader, double offsetSeconds)
{
    m_leader = &leader;
    m_checked = false;
    setMessage(QString());
    m_controller->follow(leader, offsetSeconds);
    const bool local = !m_path.contains(QLatin1String("://"));
    if (m_path.isEmpty() || (local && !QFileInfo(m_path).isFile())) {
        qCInfo(lcPlayback).noquote() << "channel" << m_channel << "missing:" << m_path;
        setMessage(fill("Channel.missing", "%1: the file is not there", {channelTitle(m_channel)}));
        return;
    }
    m_output->setup();
    m_controller->engine()->setDisplaySize(displaySize());
    m_controller->open(m_path);
}

void ChannelView::checkAgainstLeader()
{
    VlcEngine *mine = m_controller->engineIfCreated();
    VlcEngine *theirs = m_leader ? m_leader->engineIfCreated() : nullptr;
    if (!mine || !theirs)
        return;
    const double myLength = m_controller->length(), theirLength = m_leader->length();
    const double myRate = mine->frameRate(), theirRate = theirs->frameRate();
    if (myLength <= 0 || theirLength <= 0 || myRate <= 0 || theirRate <= 0)
        return;
    m_checked = true;
    QStringList notes;
    if (std::abs(myLength - theirLength) > kLengthSlackSeconds)
        notes << fill("Channel.length", "%1: %2 s long, the main channel %3 s",
                      {channelTitle(m_channel), QString::number(myLength, 'f', 1), QString::number(theirLength, 'f', 1)});
    if (std::abs(myRate - theirRate) > 0.5)
        notes << fill("Channel.frameRate", "%1: %2 pictures a second, the main channel %3",
                      {channelTitle(m_channel), QString::number(myRate, 'f', 2), QString::number(theirRate, 'f', 2)});
    if (!notes.isEmpty()) {
        qCInfo(lcPlayback).noquote() << notes.join(QLatin1String("; "));
        setMessage(notes.join(QLatin1Char('\n')));
    }
}

void ChannelView::setMessage(const QString &text)
{
    if (text == m_message)
        return;
    m_message = text;
    m_note->setText(text);
    m_note->setVisible(!text.isEmpty());
    layoutLabels();
    emit messageChanged(text);
}

QImage ChannelView::picture() const
{
    if (!m_controller->isActive())
        return QImage();
    VlcEngine *engine = m_controller->engineIfCreated();
    if (engine && engine->frameSize() != engine->sourceSize()) {
        const QImage full = engine->fullSizePicture();
        if (!full.isNull())
            return full;
    }
    return m_output->lastFrame();
}

void ChannelView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_area->setGeometry(rect());
    m_output->fitToArea();
    if (VlcEngine *engine = m_controller->engineIfCreated())
        engine->setDisplaySize(displaySize());
    layoutLabels();
}

QSize ChannelView::displaySize() const
{
    // Pictures as large as the whole video area, whatever this picture's place in it: a swap
    // or another layout then never restarts the player's output (which would lose its step).
    const QWidget *area = parentWidget() ? parentWidget() : this;
    const qreal dpr = devicePixelRatioF();
    return QSize(qCeil(area->width() * dpr), qCeil(area->height() * dpr));
}

void ChannelView::layoutLabels()
{
    m_name->move(4, 4);
    m_name->raise();
    if (m_note->isVisible()) {
        m_note->setMaximumWidth(qMax(60, width() - 8));
        m_note->adjustSize();
        m_note->move(qMax(0, (width() - m_note->width()) / 2), qMax(0, (height() - m_note->height()) / 2));
        m_note->raise();
    }
}

void ChannelView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressAt = event->globalPosition().toPoint();
    m_grabOffset = event->position().toPoint();
    m_dragging = false;
    event->accept();
}

void ChannelView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint global = event->globalPosition().toPoint();
    if (!m_dragging && (global - m_pressAt).manhattanLength() < kDragStartPixels)
        return;
    m_dragging = true;
    raise();
    if (QWidget *p = parentWidget())
        move(p->mapFromGlobal(global) - m_grabOffset);
    event->accept();
}

void ChannelView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    event->accept();
    if (m_dragging) {
        m_dragging = false;
        emit dropped(geometry().center());
        return;
    }
    emit clicked();
}

void ChannelView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Double clicks belong to the video as a whole (the video-alone view).
    event->ignore();
}
