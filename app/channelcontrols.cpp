#include "app/channelcontrols.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QToolButton>

#include "app/mainmenu.h"
#include "app/ovraplayvc.h"
#include "app/playbacksync.h"
#include "core/mlanguagemanager.h"
#include "core/notificationhub.h"
#include "library/medialistview.h"
#include "playback/channelset.h"
#include "playback/channelview.h"
#include "playback/mediaplayview.h"
#include "playback/playcontrolview.h"

using L = MLanguageManager;
using ChannelLayout::Mode;

ChannelControls::ChannelControls(MediaPlayView *player, QMenu *menu, QObject *parent)
    : QObject(parent), m_player(player), m_channels(player->channels())
{
    m_layoutMenu = new QMenu(menu);
    m_layoutMenu->setObjectName(QStringLiteral("channelLayoutMenu"));
    m_layouts = new QActionGroup(this);
    const auto item = [this](const char *name, Mode mode) {
        auto *a = m_layoutMenu->addAction(QString());
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        m_layouts->addAction(a);
        connect(a, &QAction::triggered, this, [this, mode] { m_channels->setMode(mode); });
        return a;
    };
    m_pip = item("pictureInPictureAction", Mode::PictureInPicture);
    m_side = item("sideBySideAction", Mode::SideBySide);
    m_grid = item("gridAction", Mode::Grid);
    m_offsetMenu = new QMenu(menu);
    m_offsetMenu->setObjectName(QStringLiteral("channelOffsetMenu"));
    connect(m_offsetMenu, &QMenu::aboutToShow, this, &ChannelControls::fillOffsetMenu);
    menu->addSeparator();
    menu->addMenu(m_layoutMenu);
    menu->addMenu(m_offsetMenu);

    m_button = player->controlView()->addControlBarButton(QStringLiteral("channelLayoutBtn"), QStringLiteral("layout"));
    connect(m_button, &QToolButton::clicked, m_channels, &ChannelSet::cycleMode);
    connect(m_channels, &ChannelSet::arrangementChanged, this, &ChannelControls::showLayout);
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { retitle(); });
    retitle();
    showLayout();
    fillOffsetMenu();
}

void ChannelControls::retitle()
{
    m_layoutMenu->setTitle(L::localized("Channel.layout", "Layout"));
    m_offsetMenu->setTitle(L::localized("Channel.offset", "Channel offset"));
    m_pip->setText(L::localized("Channel.pictureInPicture", "Picture in picture"));
    m_side->setText(L::localized("Channel.sideBySide", "Side by side"));
    m_grid->setText(L::localized("Channel.grid", "Grid"));
    m_button->setToolTip(L::localized("Channel.layout", "Layout"));
}

void ChannelControls::showLayout()
{
    const Mode mode = m_channels->mode();
    (mode == Mode::SideBySide ? m_side : mode == Mode::Grid ? m_grid : m_pip)->setChecked(true);
    // The button is of use only while more than one channel plays.
    m_button->setVisible(m_channels->tileCount() > 0);
}

void ChannelControls::fillOffsetMenu()
{
    m_offsetMenu->clear();
    const int tiles = m_channels->tileCount();
    if (tiles == 0) {
        m_offsetMenu->addAction(L::localized("Channel.oneChannel", "One channel only"))->setEnabled(false);
        return;
    }
    for (int i = 0; i < tiles; ++i) {
        const QString channel = m_channels->tile(i)->channel();
        const double now = m_channels->offset(channel);
        auto *title = m_offsetMenu->addAction(QStringLiteral("%1: %2 s").arg(channel, QString::number(now, 'f', 2)));
        title->setEnabled(false);
        const auto step = [&](const char *name, const QString &text, int steps) {
            auto *a = m_offsetMenu->addAction(text);
            a->setObjectName(QString::fromLatin1(name) + channel);
            connect(a, &QAction::triggered, this, [this, channel, steps] {
                if (steps == 0)
                    m_channels->setOffset(channel, 0.0);
                else
                    m_channels->stepOffset(channel, steps);
            });
        };
        step("earlierAction_", QStringLiteral("\u2212") + QString::number(ChannelSet::kOffsetStep, 'f', 2) + QStringLiteral(" s"), -1);
        step("laterAction_", QStringLiteral("+") + QString::number(ChannelSet::kOffsetStep, 'f', 2) + QStringLiteral(" s"), 1);
        step("resetOffsetAction_", L::localized("Channel.resetOffset", "No offset"), 0);
        m_offsetMenu->addSeparator();
    }
}

ChannelControls *wireChannels(MainMenu *menu, OvraPlayVC *vc)
{
    MediaPlayView *player = vc->player();
    MediaListView *list = vc->mediaList();
    auto *controls = new ChannelControls(player, menu->playbackMenu(), vc);
    // Connected after the player's own start: the channels are set before the deferred start runs.
    QObject::connect(vc->playbackSync(), &PlaybackSync::playRequested, player, [player, list](const QString &path) {
        for (const MFileModel &m : list->dataArray()) {
            if (m.fLocalPath == path) {
                player->setChannels(m.channel, m.otherChannels);
                return;
            }
        }
        player->setChannels(QString(), {});
    });
    return controls;
}
