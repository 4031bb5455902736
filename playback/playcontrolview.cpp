#include "playback/playcontrolview.h"

#include "core/imagenamed.h"
#include "core/preferences.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "widgets/mcustomslider.h"
#include "widgets/vcustomslider.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

#include <utility>

using L = MLanguageManager;

namespace {
// Without our pictures, the platform's own media icons stand in.
QStyle::StandardPixmap fallbackIcon(const QString &name)
{
    static const std::pair<const char *, QStyle::StandardPixmap> icons[] = {
        {"pause", QStyle::SP_MediaPause},        {"audioON", QStyle::SP_MediaVolume},
        {"audioOff", QStyle::SP_MediaVolumeMuted}, {"stop", QStyle::SP_MediaStop},
        {"previous", QStyle::SP_MediaSkipBackward}, {"next", QStyle::SP_MediaSkipForward},
        {"snapshot", QStyle::SP_DialogSaveButton},
    };
    for (const auto &[picture, icon] : icons) {
        if (name == QLatin1String(picture))
            return icon;
    }
    return QStyle::SP_MediaPlay;
}

QToolButton *makeButton(QWidget *parent, QStyle::StandardPixmap icon, const QString &tip)
{
    auto *b = new QToolButton(parent);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus); // keys belong to the player view
    b->setIconSize(QSize(22, 22));
    return b;
}
} // namespace

PlayControlView::PlayControlView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground, false);
    setAutoFillBackground(false);

    playControlBtn = makeButton(this, QStyle::SP_MediaPlay, QString());
    stopBtn = makeButton(this, QStyle::SP_MediaStop, QString());
    preBtn = makeButton(this, QStyle::SP_MediaSkipBackward, QString());
    nextBtn = makeButton(this, QStyle::SP_MediaSkipForward, QString());
    soundBtn = makeButton(this, QStyle::SP_MediaVolume, QString());
    setButtonImage(playControlBtn, QStringLiteral("play"));
    setButtonImage(soundBtn, QStringLiteral("audioON"));
    // Our own white pictures: the platform's media icons all but vanish on the dark bar.
    setButtonImage(stopBtn, QStringLiteral("stop"));
    setButtonImage(preBtn, QStringLiteral("previous"));
    setButtonImage(nextBtn, QStringLiteral("next"));

    timeLabel = new QLabel(QStringLiteral("00:00:00|00:00:00"), this);
    timeLabel->setStyleSheet(QStringLiteral("color: white;"));

    progressSlider = new VCustomSlider(Qt::Horizontal, this);
    progressSlider->setFloatRange(0.0, 1.0, 1000);
    progressSlider->setFocusPolicy(Qt::NoFocus);

    soundSlider = new MCustomSlider(Qt::Horizontal, this);
    soundSlider->setRange(0, kMaxSoundStep);
    soundSlider->setFixedWidth(80);
    soundSlider->setFocusPolicy(Qt::NoFocus);

    playSpeedSlider = new MCustomSlider(Qt::Horizontal, this);
    playSpeedSlider->setFloatRange(0.0, 1.0, 100);
    playSpeedSlider->setFixedWidth(70);
    playSpeedSlider->setFocusPolicy(Qt::NoFocus);

    // The progress slider has a line of its own, as wide as the video: in one line with the
    // buttons it was left a few dozen pixels. The volume and speed stay small beside them.
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 2, 8, 2);
    column->setSpacing(0);
    auto *progressRow = new QHBoxLayout;
    progressRow->setSpacing(8);
    progressRow->addWidget(progressSlider, 1);
    progressRow->addWidget(timeLabel);
    column->addLayout(progressRow);
    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(preBtn);
    row->addWidget(playControlBtn);
    row->addWidget(stopBtn);
    row->addWidget(nextBtn);
    row->addStretch(1);
    row->addWidget(soundBtn);
    row->addWidget(soundSlider);
    row->addWidget(playSpeedSlider);
    column->addLayout(row);

    connect(soundBtn, &QAbstractButton::clicked, this, [this] { soundBtnClick(); });
    connect(soundSlider, &QAbstractSlider::valueChanged, this, [this](int step) {
        if (!m_settingSlider)
            videoSoundAction(step);
    });
    setStringValue();
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { setStringValue(); });
}

namespace {
int storedSoundStep()
{
    bool ok = false;
    const int step = Preferences::videoSound().toInt(&ok);
    return ok ? qBound(0, step, PlayControlView::kMaxSoundStep) : 16;
}
} // namespace

void PlayControlView::setupSound()
{
    const bool on = Preferences::audioSwitch();
    m_settingSlider = true;
    soundSlider->setValue(on ? storedSoundStep() : 0);
    m_settingSlider = false;
    setButtonImage(soundBtn, on ? QStringLiteral("audioON") : QStringLiteral("audioOff"));
}

int PlayControlView::volume() const { return Preferences::audioSwitch() ? storedSoundStep() * 10 : -1; }

void PlayControlView::videoSoundAction(int step)
{
    step = qBound(0, step, kMaxSoundStep);
    Preferences::setVideoSound(QString::number(step));
    Preferences::setAudioSwitch(true);
    setButtonImage(soundBtn, QStringLiteral("audioON"));
    emit volumeChanged(step * 10);
}

void PlayControlView::soundBtnClick()
{
    const bool wasOn = Preferences::audioSwitch();
    m_settingSlider = true;
    soundSlider->setValue(wasOn ? 0 : storedSoundStep());
    m_settingSlider = false;
    Preferences::setAudioSwitch(!wasOn);
    setButtonImage(soundBtn, wasOn ? QStringLiteral("audioOff") : QStringLiteral("audioON"));
    soundSlider->update();
    emit volumeChanged(wasOn ? -1 : storedSoundStep() * 10);
}

void PlayControlView::stepVolume(int delta)
{
    const int step = qBound(0, soundSlider->value() + delta, kMaxSoundStep);
    m_settingSlider = true;
    soundSlider->setValue(step);
    m_settingSlider = false;
    videoSoundAction(step);
}

void PlayControlView::setStringValue()
{
    const std::pair<QWidget *, const char *> tips[] = {
        {playControlBtn, "Play.Pause"}, {stopBtn, "Stop"},   {preBtn, "Previous"},
        {nextBtn, "Next"},              {soundBtn, "Sound"}, {soundSlider, "Volume"},
    };
    for (const auto &[widget, key] : tips)
        widget->setToolTip(L::localized(key));
    setPlaySpeedRate(m_rate);
}

void PlayControlView::setPlaySpeedRate(double rate)
{
    m_rate = rate;
    QString text = L::localized("Play.speed");
    // The rate keeps its "." whatever the desktop's locale, like every figure of the player.
    playSpeedSlider->setToolTip(text.replace(QLatin1String("%@"), QString::number(rate, 'f', 2)));
}

QToolButton *PlayControlView::addControlBarButton(const QString &name, const QString &imageName)
{
    QToolButton *button = makeButton(this, QStyle::SP_DialogSaveButton, QString());
    button->setObjectName(name);
    setButtonImage(button, imageName);
    auto *row = static_cast<QHBoxLayout *>(buttonRow());
    row->insertWidget(row->indexOf(soundBtn), button);
    return button;
}

QLayout *PlayControlView::buttonRow() const
{
    return layout()->itemAt(1)->layout();
}

void PlayControlView::setButtonImage(QAbstractButton *button, const QString &name)
{
    if (!button)
        return;
    button->setProperty("imageName", name);
    const QSize iconSize = button->iconSize();
    const QPixmap pm = pixmapNamed(name, iconSize, button->devicePixelRatioF());
    button->setIcon(pm.isNull() ? button->style()->standardIcon(fallbackIcon(name)) : QIcon(pm));
}

QString PlayControlView::buttonImage(const QAbstractButton *button)
{
    return button ? button->property("imageName").toString() : QString();
}

void PlayControlView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgbF(0.2f, 0.2f, 0.2f, 0.5f));
}

void PlayControlView::mousePressEvent(QMouseEvent *event) { event->accept(); }

void PlayControlView::mouseReleaseEvent(QMouseEvent *event) { event->accept(); }
