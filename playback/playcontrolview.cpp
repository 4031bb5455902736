#include "playcontrolview.h"

#include "imagenamed.h"
#include "mcustomslider.h"
#include "vcustomslider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace {
QString fallbackText(const QString &name)
{
    if (name == QLatin1String("play"))
        return QStringLiteral("\u25B6");
    if (name == QLatin1String("pause"))
        return QStringLiteral("\u275A\u275A");
    if (name == QLatin1String("audioON"))
        return QStringLiteral("\U0001F50A");
    if (name == QLatin1String("audioOff"))
        return QStringLiteral("\U0001F507");
    return name;
}

QToolButton *makeButton(QWidget *parent, const QString &text, const QString &tip)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
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

    playControlBtn = makeButton(this, fallbackText(QStringLiteral("play")), tr("Play/Pause"));
    stopBtn = makeButton(this, QStringLiteral("\u25A0"), tr("Stop"));
    preBtn = makeButton(this, QStringLiteral("\u23EE"), tr("Previous"));
    nextBtn = makeButton(this, QStringLiteral("\u23ED"), tr("Next"));
    soundBtn = makeButton(this, fallbackText(QStringLiteral("audioON")), tr("Sound"));
    setButtonImage(playControlBtn, QStringLiteral("play"));
    setButtonImage(soundBtn, QStringLiteral("audioON"));

    timeLabel = new QLabel(QStringLiteral("00:00:00|00:00:00"), this);
    timeLabel->setStyleSheet(QStringLiteral("color: white;"));

    progressSlider = new VCustomSlider(Qt::Horizontal, this);
    progressSlider->setFloatRange(0.0, 1.0, 1000);
    progressSlider->setFocusPolicy(Qt::NoFocus);

    soundSlider = new MCustomSlider(Qt::Horizontal, this);
    soundSlider->setRange(0, kMaxSoundStep);
    soundSlider->setFixedWidth(80);
    soundSlider->setFocusPolicy(Qt::NoFocus);
    soundSlider->setToolTip(tr("Volume"));

    playSpeedSlider = new MCustomSlider(Qt::Horizontal, this);
    playSpeedSlider->setFloatRange(0.0, 1.0, 100);
    playSpeedSlider->setFixedWidth(70);
    playSpeedSlider->setFocusPolicy(Qt::NoFocus);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(6);
    row->addWidget(preBtn);
    row->addWidget(playControlBtn);
    row->addWidget(stopBtn);
    row->addWidget(nextBtn);
    row->addWidget(progressSlider, 1);
    row->addWidget(timeLabel);
    row->addWidget(soundBtn);
    row->addWidget(soundSlider);
    row->addWidget(playSpeedSlider);
}

void PlayControlView::setButtonImage(QAbstractButton *button, const QString &name)
{
    if (!button)
        return;
    button->setProperty("imageName", name);
    const QSize iconSize = button->iconSize();
    const QPixmap pm = pixmapNamed(name, iconSize, button->devicePixelRatioF());
    if (pm.isNull()) {
        button->setIcon(QIcon());
        button->setText(fallbackText(name));
    } else {
        button->setIcon(QIcon(pm));
        if (auto *tb = qobject_cast<QToolButton *>(button))
            tb->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
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
