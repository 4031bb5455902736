// The player's parts that need no playback: clock text, drop filtering, the frame hand-over
// and its surface, the external decoder's state table, the TS clock probe.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QtEndian>

#include <cmath>
#include <memory>
#include <thread>
#include <utility>
#include <limits>
#include <vector>

#include "core/mlanguagemanager.h"
#include "playback/channellayout.h"
#include "playback/channelset.h"
#include "playback/channelview.h"
#include "playback/playbackcontroller.h"
#include "playback/mediaimageview.h"
#include "playback/mediaplayview.h"
#include "playback/pictureclock.h"
#include "playback/playcontrolview.h"
#include "playback/tstimeoffset.h"
#include "widgets/vcustomslider.h"
#include "playback/videosurface.h"
#include "playback/vlcengine.h"
#include "playback/vlcmedia.h"

#include "support/testsettings.h"
#include "recordingdelegate.h"

namespace {
// A picture whose buffer counts its releases.
struct CountedBuffer {
    std::vector<uchar> bytes;
    int released = 0;
};

QImage countedImage(CountedBuffer &buf, int w = 64, int h = 36)
{
    buf.bytes.assign(size_t(w) * size_t(h) * 4, 0x80);
    return QImage(buf.bytes.data(), w, h, w * 4, QImage::Format_RGB32,
                  [](void *info) { ++static_cast<CountedBuffer *>(info)->released; }, &buf);
}

QMimeData *filesMime(const QStringList &paths)
{
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls << QUrl::fromLocalFile(p);
    mime->setUrls(urls);
    return mime;
}

// 1 taken, 0 refused, -1 when the event and the operation disagree.
int dragAccepted(MediaImageView *target, const QStringList &paths)
{
    std::unique_ptr<QMimeData> mime(filesMime(paths));
    // The event path, and the operation behind it, must agree.
    QDragEnterEvent ev(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &ev);
    const bool viaEvent = ev.isAccepted() && ev.dropAction() == Qt::CopyAction;
    const bool direct = target->draggingEntered(mime.get()) == Qt::CopyAction;
    return viaEvent != direct ? -1 : int(direct);
}

bool drop(MediaImageView *target, const QStringList &paths)
{
    // Qt will not deliver a drop without a drag in progress, so the operation is called directly.
    std::unique_ptr<QMimeData> mime(filesMime(paths));
    return target->performDragOperation(mime.get());
}

// Minimal transport stream: a packet with a PCR, then a video PES with a PTS.
QByteArray tsWithStamps(qint64 pcrBase, qint64 pts)
{
    QByteArray pcrPacket(188, char(0xFF));
    pcrPacket[0] = 0x47;
    pcrPacket[1] = 0x01;
    pcrPacket[2] = 0x00;
    pcrPacket[3] = 0x20; // adaptation field only
    pcrPacket[4] = char(183);
    pcrPacket[5] = 0x10; // PCR flag
    pcrPacket[6] = char(pcrBase >> 25);
    pcrPacket[7] = char(pcrBase >> 17);
    pcrPacket[8] = char(pcrBase >> 9);
    pcrPacket[9] = char(pcrBase >> 1);
    pcrPacket[10] = char(((pcrBase & 1) << 7) | 0x7E);
    pcrPacket[11] = 0;

    QByteArray pes(188, char(0xFF));
    pes[0] = 0x47;
    pes[1] = 0x41; // unit start
    pes[2] = 0x00;
    pes[3] = 0x10; // payload only
    const char head[] = {0, 0, 1, char(0xE0), 0, 0, char(0x80), char(0x80), 5};
    for (int i = 0; i < 9; ++i)
        pes[4 + i] = head[i];
    pes[13] = char(0x21 | ((pts >> 29) & 0x0E));
    pes[14] = char(pts >> 22);
    pes[15] = char(((pts >> 14) & 0xFE) | 1);
    pes[16] = char(pts >> 7);
    pes[17] = char(((pts << 1) & 0xFE) | 1);
    QByteArray filler(188, char(0xFF));
    filler[0] = 0x47;
    filler[1] = 0x1F;
    filler[2] = char(0xFF);
    filler[3] = 0x10;
    return pcrPacket + pes + filler + filler;
}
} // namespace

class PlaybackPartsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { isolateSettings(); }

    // Where the channels' pictures go: picture-in-picture small ones inside the area in the
    // chosen corner, never over each other; side by side and the grid tile the area exactly.
    void channelLayoutGeometry()
    {
        using namespace ChannelLayout;
        const QRect area(0, 0, 960, 540);
        QCOMPARE(rects(Mode::Grid, Corner::TopRight, area, 1), QList<QRect>{area});
        QVERIFY(rects(Mode::Grid, Corner::TopRight, QRect(), 3).isEmpty());
        QVERIFY(rects(Mode::Grid, Corner::TopRight, area, 0).isEmpty());
        for (Corner c : {Corner::TopLeft, Corner::TopRight, Corner::BottomLeft, Corner::BottomRight}) {
            const QList<QRect> r = rects(Mode::PictureInPicture, c, area, 3);
            QCOMPARE(r.size(), 3);
            QCOMPARE(r.at(0), area);
            QVERIFY(!r.at(1).intersects(r.at(2)));
            for (int i = 1; i < 3; ++i) {
                QVERIFY(area.contains(r.at(i)));
                QCOMPARE(r.at(i).width(), 240);
                QCOMPARE(r.at(i).height(), 135);
                QCOMPARE(nearestCorner(area, r.at(i).center()), c);
            }
        }
        const QList<QRect> side = rects(Mode::SideBySide, Corner::TopLeft, area, 2);
        QCOMPARE(side, (QList<QRect>{QRect(0, 0, 480, 540), QRect(480, 0, 480, 540)}));
        const QList<QRect> grid = rects(Mode::Grid, Corner::TopLeft, QRect(10, 20, 801, 451), 4);
        QCOMPARE(grid.size(), 4);
        QCOMPARE(grid.at(0), QRect(10, 20, 400, 225));
        QCOMPARE(grid.at(3).bottomRight(), QPoint(810, 470));
        QCOMPARE(grid.at(1).left(), grid.at(0).right() + 1);
        QCOMPARE(grid.at(2).top(), grid.at(0).bottom() + 1);
        QCOMPARE(rects(Mode::Grid, Corner::TopLeft, area, 3).size(), 3); // 2x2 with one cell free
        QCOMPARE(rects(Mode::Grid, Corner::TopLeft, area, 3).at(2), QRect(0, 270, 480, 270));
        // A small area still gives pictures inside it.
        for (const QRect &r : rects(Mode::PictureInPicture, Corner::BottomRight, QRect(0, 0, 100, 60), 2))
            QVERIFY(QRect(0, 0, 100, 60).contains(r));
        for (Mode m : {Mode::PictureInPicture, Mode::SideBySide, Mode::Grid})
            QCOMPARE(modeFromName(modeName(m)), m);
        QCOMPARE(modeFromName(QStringLiteral("junk")), Mode::PictureInPicture);
        QCOMPARE(cornerFromName(cornerName(Corner::BottomLeft)), Corner::BottomLeft);
        QCOMPARE(nextMode(nextMode(nextMode(Mode::Grid))), Mode::Grid);
    }

    // Each channel's offset is kept for its card folder, in whole 0.04 s steps, and reaches
    // the channel's player; another card has its own; names and values from outside are
    // checked; a missing channel file says so over its picture.
    void channelOffsetsAreKeptPerCard()
    {
        QSettings().clear();
        QWidget host;
        host.resize(640, 360);
        auto *area = new QWidget(&host);
        PlaybackController leader;
        ChannelSet set(&host, area, &leader);
        const auto startCard = [&](const QString &card) {
            set.setChannels(QStringLiteral("front"), {{QStringLiteral("rear"), card + QStringLiteral("/Back/A_R.MP4")},
                                                     {QStringLiteral("interior"), card + QStringLiteral("/Front/A_I.MP4")}});
            set.start(card + QStringLiteral("/Front/A_F.MP4"));
        };
        startCard(QStringLiteral("/nowhere/cardA"));
        QCOMPARE(set.cardFolder(), QStringLiteral("/nowhere/cardA"));
        QCOMPARE(set.tileCount(), 2);
        QCOMPARE(set.offset(QStringLiteral("rear")), 0.0);
        for (int i = 0; i < 3; ++i)
            set.stepOffset(QStringLiteral("rear"), 1);
        set.stepOffset(QStringLiteral("interior"), -1);
        QCOMPARE(set.offset(QStringLiteral("rear")), 0.12);
        QCOMPARE(set.offset(QStringLiteral("interior")), -0.04);
        QCOMPARE(set.tileOf(QStringLiteral("rear"))->controller()->followOffset(), 0.12);
        QCOMPARE(set.tileOf(QStringLiteral("rear"))->controller()->leader(), &leader);
        QVERIFY(set.tileOf(QStringLiteral("rear"))->message().contains(QStringLiteral("not there")));
        QVERIFY(set.tileOf(QStringLiteral("rear"))->isHidden()); // nothing plays

        startCard(QStringLiteral("/nowhere/cardB"));
        QCOMPARE(set.offset(QStringLiteral("rear")), 0.0);
        QCOMPARE(set.tileOf(QStringLiteral("rear"))->controller()->followOffset(), 0.0);
        startCard(QStringLiteral("/nowhere/cardA"));
        QCOMPARE(set.offset(QStringLiteral("rear")), 0.12);
        QCOMPARE(set.tileOf(QStringLiteral("rear"))->controller()->followOffset(), 0.12);

        set.setOffset(QStringLiteral("rear"), 0.05);
        QCOMPARE(set.offset(QStringLiteral("rear")), 0.04);
        set.setOffset(QStringLiteral("rear"), 1e9);
        QCOMPARE(set.offset(QStringLiteral("rear")), ChannelSet::kMaxOffset);
        set.setOffset(QStringLiteral("rear"), std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(set.offset(QStringLiteral("rear")), ChannelSet::kMaxOffset);
        set.setOffset(QStringLiteral("../x"), 1.0);
        QCOMPARE(set.offset(QStringLiteral("../x")), 0.0);
        set.setOffset(QStringLiteral("rear"), 0.0);
        QCOMPARE(set.offset(QStringLiteral("rear")), 0.0);

        // One channel: nothing follows, the main picture fills the area.
        set.setChannels(QStringLiteral("front"), {});
        set.start(QStringLiteral("/nowhere/cardA/Front/B_F.MP4"));
        QCOMPARE(set.tileCount(), 0);
        set.arrange(host.rect());
        QCOMPARE(area->geometry(), host.rect());
    }

    void clockText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("just under a minute") << 59.99 << "00:00:59";
        QTest::newRow("hundred hours") << 360000.0 << "100:00:00";
        QTest::newRow("hour minute seconds") << 3725.9 << "01:02:05";
        QTest::newRow("zero") << 0.0 << "00:00:00";
        QTest::newRow("negative") << -3.5 << "00:00:00";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "00:00:00";
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "00:00:00";
    }
    void clockText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(MediaPlayView::getMMSSFromSS(seconds), text);
    }

    void timeLabelWithoutLengthShowsNoProgress()
    {
        MediaPlayView view;
        view.updateTimeLabel(5.0); // no length known: duration is 0
        QCOMPARE(view.controlView()->timeLabel->text(), QStringLiteral("00:00:05|00:00:00"));
        const double v = view.controlView()->progressSlider->floatValue();
        QVERIFY(!std::isnan(v));
        QCOMPARE(v, 0.0);
    }

    void speedSliderIsLogarithmic()
    {
        QCOMPARE(MediaPlayView::rateForSpeedValue(0.5), 1.0);
        QCOMPARE(MediaPlayView::rateForSpeedValue(0.0), 0.25);
        QCOMPARE(MediaPlayView::rateForSpeedValue(1.0), 4.0);
        QVERIFY(qAbs(MediaPlayView::rateForSpeedValue(0.75) - 2.0) < 1e-9);
        QCOMPARE(MediaPlayView::rateForSpeedValue(7.0), 4.0);
        MediaPlayView view;
        QCOMPARE(view.controlView()->playSpeedSlider->floatValue(), 0.5);
        QVERIFY(view.controlView()->playSpeedSlider->toolTip().contains(QStringLiteral("1.00")));
    }

    void dragAcceptsOnlyExactEndings()
    {
        MediaImageView target;
        QCOMPARE(dragAccepted(&target, {"/v/a.avi", "/v/b.txt"}), 0);
        QCOMPARE(dragAccepted(&target, {"/v/a.avi", "/v/b.txt", "/v/c.MP4"}), 1);
        QCOMPARE(dragAccepted(&target, {"/v/a.Mp4", "/v/b.mOV", "/v/c.Ts"}), 0);
        QCOMPARE(dragAccepted(&target, {"/v/x.TS"}), 1);
        QCOMPARE(dragAccepted(&target, {}), 0);
    }

    void dropHandsOnAcceptedPathsInOrder()
    {
        MediaImageView target;
        RecordingDelegate d;
        target.setDelegate(&d);
        QVERIFY(drop(&target, {"/v/a.mp4", "/v/b.avi", "/v/c.TS", "/v/d.Mp4", "/v/e.mov"}));
        QCOMPARE(d.fileLists.size(), 1);
        QCOMPARE(d.fileLists.at(0), QStringList({"/v/a.mp4", "/v/c.TS", "/v/e.mov"}));
        // Nothing acceptable: the delegate still hears of it, with an empty list.
        QVERIFY(drop(&target, {"/v/b.avi"}));
        QCOMPARE(d.fileLists.size(), 2);
        QVERIFY(d.fileLists.at(1).isEmpty());
        // No delegate: the drop still counts as performed.
        target.setDelegate(nullptr);
        QVERIFY(drop(&target, {"/v/a.mp4"}));
    }

    void standardFrameIsTheParentsFrame()
    {
        QWidget parent;
        parent.setGeometry(10, 20, 300, 200);
        auto *child = new MediaImageView(&parent);
        QCOMPARE(child->standardFrame(), QRect(10, 20, 300, 200));
        MediaImageView orphan;
        QCOMPARE(orphan.standardFrame(), QRect(0, 0, 0, 0));
    }

    void letterboxKeepsAspect()
    {
        QCOMPARE(VideoSurface::letterboxRect(QSize(1920, 1080), QSize(800, 800)), QRect(0, 175, 800, 450));
        QCOMPARE(VideoSurface::letterboxRect(QSize(320, 180), QSize(1000, 300)), QRect(233, 0, 533, 300));
        QVERIFY(VideoSurface::letterboxRect(QSize(0, 0), QSize(100, 100)).isEmpty());
    }

    void paintsThePictureLetterboxed()
    {
        VideoSurface surface;
        surface.resize(400, 400);
        QImage red(64, 36, QImage::Format_RGB32);
        red.fill(Qt::red);
        surface.enqueue(red);
        const QImage shot = surface.grab().toImage();
        QCOMPARE(shot.pixelColor(200, 200), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(200, 10), QColor(Qt::black));   // bar above
        QCOMPARE(shot.pixelColor(200, 390), QColor(Qt::black));  // bar below
        QCOMPARE(shot.pixelColor(2, 200), QColor(Qt::red));      // full width
        QCOMPARE(surface.framesPresented(), 1);
    }

    void twoFramesReleaseTheFirstExactlyOnce()
    {
        MediaPlayView view;
        view.DecoderState(1); // a decoder starts: the surface exists
        QVERIFY(view.videoSurface());
        CountedBuffer a;
        CountedBuffer b;
        CountedBuffer c;
        view.DecoderData(countedImage(a), 64, 36);
        view.DecoderData(countedImage(b), 64, 36);
        QCoreApplication::processEvents();
        QCOMPARE(a.released, 1);
        QCOMPARE(b.released, 0);
        QCOMPARE(view.videoSurface()->currentFrame().constBits(), b.bytes.data());
        view.dispatchPixelBuffer(countedImage(c));
        QCOMPARE(a.released, 1);
        QCOMPARE(b.released, 1);
        QCOMPARE(c.released, 0);
        QCOMPARE(view.previousPixelBuffer().constBits(), c.bytes.data());
    }

    void framesFromAnotherThreadArriveOnTheGuiThread()
    {
        MediaPlayView view;
        view.DecoderState(1);
        CountedBuffer a;
        QImage img = countedImage(a);
        std::thread t([&view, img] { view.DecoderData(img, img.width(), img.height()); });
        t.join();
        img = QImage();
        QTRY_COMPARE(view.previousPixelBuffer().constBits(), a.bytes.data());
        QCOMPARE(a.released, 0);
    }

    void stopTearsTheSurfaceDownAndLaterFramesAreDropped()
    {
        MediaPlayView view;
        RecordingDelegate d;
        view.setDelegate(&d);
        view.DecoderState(1);
        QCOMPARE(view.playState(), quint64(MediaPlayStatePlaying));
        view.stopPlayVideo();
        QVERIFY(!view.videoSurface());
        QCOMPARE(view.mediaImageView()->imageName(), QStringLiteral("timg"));
        CountedBuffer a;
        view.dispatchPixelBuffer(countedImage(a));
        QVERIFY(!view.videoSurface());
        // The view still holds the picture until the next one replaces it.
        QCOMPARE(a.released, 0);
        CountedBuffer b;
        view.dispatchPixelBuffer(countedImage(b));
        QCOMPARE(a.released, 1);
    }

    void interruptedSurfaceIsRebuiltOtherFailuresKeepIt()
    {
        MediaPlayView view;
        view.DecoderState(1);
        QPointer<VideoSurface> first = view.videoSurface();
        first->markFailed(VideoSurface::kErrorInterrupted);
        CountedBuffer a;
        view.dispatchPixelBuffer(countedImage(a));
        QVERIFY(!first); // replaced and gone
        QVERIFY(view.videoSurface());
        QCOMPARE(view.videoSurface()->status(), VideoSurface::Ok);
        QCOMPARE(view.videoSurface()->currentFrame().constBits(), a.bytes.data());

        QPointer<VideoSurface> second = view.videoSurface();
        second->markFailed(-1);
        CountedBuffer b;
        view.dispatchPixelBuffer(countedImage(b));
        QCOMPARE(view.videoSurface(), second.data());
        QCOMPARE(second->currentFrame().constBits(), b.bytes.data());
    }

    void aBadPictureFailsOnlyItself()
    {
        VideoSurface surface;
        CountedBuffer a;
        surface.enqueue(countedImage(a));
        surface.enqueue(QImage(QSize(20000, 10), QImage::Format_RGB32));
        QCOMPARE(surface.status(), VideoSurface::Failed);
        QCOMPARE(surface.errorCode(), int(VideoSurface::kErrorUnsupportedFrame));
        QCOMPARE(surface.currentFrame().constBits(), a.bytes.data()); // the last good one stays
        CountedBuffer b;
        surface.enqueue(countedImage(b));
        QCOMPARE(surface.status(), VideoSurface::Ok);
        QCOMPARE(a.released, 1);
    }

    void transportButtonsShowWhitePictures()
    {
        // The bar is dark and translucent: the buttons must carry our white pictures, not the
        // platform's media icons, which are dark or missing there.
        PlayControlView bar;
        const std::pair<QToolButton *, const char *> buttons[] = {
            {bar.preBtn, "previous"}, {bar.stopBtn, "stop"}, {bar.nextBtn, "next"}};
        for (const auto &[button, name] : buttons) {
            QCOMPARE(PlayControlView::buttonImage(button), QLatin1String(name));
            const QImage img = button->icon().pixmap(button->iconSize()).toImage();
            QVERIFY2(!img.isNull(), name);
            int white = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QColor c = img.pixelColor(x, y);
                    white += c.alpha() > 200 && c.red() > 230 && c.green() > 230 && c.blue() > 230;
                }
            QVERIFY2(white > img.width() * img.height() / 10, qPrintable(QStringLiteral("%1: %2 white").arg(name).arg(white)));
        }
        // A picture that is missing leaves the platform's icon rather than an empty button.
        QToolButton other;
        PlayControlView::setButtonImage(&other, QStringLiteral("no-such-picture"));
        QVERIFY(!other.icon().isNull());
    }

    void controlBarTooltipsComeFromTheStringTables()
    {
        MLanguageManager::setNewLanguage(0);
        PlayControlView bar;
        const auto tips = [&bar] {
            return QStringList{bar.playControlBtn->toolTip(), bar.stopBtn->toolTip(), bar.preBtn->toolTip(),
                               bar.nextBtn->toolTip(), bar.soundBtn->toolTip(), bar.soundSlider->toolTip(),
                               bar.playSpeedSlider->toolTip()};
        };
        QCOMPARE(tips(), (QStringList{"Play/Pause", "Stop", "Previous", "Next", "Sound on/off", "Volume",
                                      "Speed 1.00\u00D7"}));
        // A language change re-reads every tooltip; the rate keeps its ".".
        MLanguageManager::setNewLanguage(3);
        bar.setPlaySpeedRate(1.5);
        QCOMPARE(tips(), (QStringList{"Wiedergabe/Pause", "Stopp", "Zurück", "Weiter", "Ton ein/aus", "Lautstärke",
                                      "Tempo 1.50\u00D7"}));
        MLanguageManager::setNewLanguage(1);
        QCOMPARE(bar.stopBtn->toolTip(), QString("停止"));
        QCOMPARE(bar.playSpeedSlider->toolTip(), QString("再生速度 1.50\u00D7"));
        MLanguageManager::setNewLanguage(0);
    }

    void decoderStateTable()
    {
        MediaPlayView view;
        RecordingDelegate d;
        view.setDelegate(&d);
        view.DecoderState(1);
        QCOMPARE(PlayControlView::buttonImage(view.controlView()->playControlBtn), QStringLiteral("pause"));
        view.DecoderState(2);
        QCOMPARE(PlayControlView::buttonImage(view.controlView()->playControlBtn), QStringLiteral("play"));
        view.DecoderState(7); // unknown: state kept, still reported
        view.DecoderState(3);
        QVERIFY(!view.videoSurface());
        view.DecoderState(1);
        view.DecoderState(0);
        QCOMPARE(d.states, QList<quint64>({2, 3, 3, 0, 2, 5}));
        view.DecoderCurrent(12.5);
        QCOMPARE(d.times, QList<double>({12.5}));
        QVERIFY(view.controlView()->timeLabel->text().startsWith(QStringLiteral("00:00:12|")));
    }

    void idleClicksAndTogglesReportNothing()
    {
        MediaPlayView view;
        RecordingDelegate d;
        view.setDelegate(&d);
        view.mouseUp();
        QVERIFY(view.controlView()->isHidden());
        view.resumOrPauseVideo();
        view.stopPlayVideo();
        QVERIFY(d.states.isEmpty());
        QCOMPARE(view.playState(), quint64(MediaPlayStateStopped));
    }

    void transportStreamClockLead()
    {
        // 0.7 s between the clock and the first picture, as muxers commonly leave it.
        QCOMPARE(TsTimeOffset::fromData(tsWithStamps(90000, 90000 + 63000)), qint64(700));
        QCOMPARE(TsTimeOffset::fromData(tsWithStamps(90000, 90000)), qint64(0));
        // Picture before the clock, or absurdly far: not trusted.
        QCOMPARE(TsTimeOffset::fromData(tsWithStamps(900000, 90000)), qint64(0));
        QCOMPARE(TsTimeOffset::fromData(tsWithStamps(0, 90000 * 20)), qint64(0));
        // Across the 33-bit wrap.
        const qint64 wrap = qint64(1) << 33;
        QCOMPARE(TsTimeOffset::fromData(tsWithStamps(wrap - 9000, 9000)), qint64(200));
        QCOMPARE(TsTimeOffset::fromData(QByteArray(4096, 'x')), qint64(0));
        QCOMPARE(TsTimeOffset::fromData(tsWithStamps(90000, 153000).left(200)), qint64(0));
        const QString dir = QStringLiteral(TRAVA_TEST_DATA "/playback/");
        const qint64 ts = TsTimeOffset::forFile(dir + "clip2s.ts");
        QVERIFY2(ts > 500 && ts < 1000, qPrintable(QString::number(ts)));
        QCOMPARE(TsTimeOffset::forFile(dir + "clip2s.mp4"), qint64(0));
        QCOMPARE(TsTimeOffset::forFile(dir + "does-not-exist.ts"), qint64(0));
    }

    // Pictures are converted to the size they are shown at, never above the recording's.
    void frameSizeFollowsTheDisplayedSize()
    {
        QCOMPARE(VlcMedia::fittedFrameSize(QSize(3840, 2160), QSize(960, 540)), QSize(960, 540));
        QCOMPARE(VlcMedia::fittedFrameSize(QSize(3840, 2160), QSize(1000, 1000)), QSize(1000, 562));
        QCOMPARE(VlcMedia::fittedFrameSize(QSize(1920, 1080), QSize(1001, 2000)), QSize(1000, 562));
        QCOMPARE(VlcMedia::fittedFrameSize(QSize(1920, 1080), QSize(2560, 1440)), QSize(1920, 1080));
        QCOMPARE(VlcMedia::fittedFrameSize(QSize(1920, 1080), QSize(1920, 1080)), QSize(1920, 1080));
        QCOMPARE(VlcMedia::fittedFrameSize(QSize(1920, 1080), QSize()), QSize(1920, 1080));
        QCOMPARE(VlcMedia::fittedFrameSize(QSize(1920, 1080), QSize(1, 1)), QSize(2, 2));

        // The output restarts only for pictures visibly soft (blown up by a quarter or more)
        // or mostly wasted (over twice the size shown both ways); nothing before a format.
        QVERIFY(!VlcMedia::outputWorthRestarting(QSize(960, 540), QSize(1190, 669)));
        QVERIFY(VlcMedia::outputWorthRestarting(QSize(960, 540), QSize(1202, 676)));
        QVERIFY(!VlcMedia::outputWorthRestarting(QSize(960, 540), QSize(480, 270)));
        QVERIFY(VlcMedia::outputWorthRestarting(QSize(960, 540), QSize(478, 268)));
        QVERIFY(!VlcMedia::outputWorthRestarting(QSize(960, 540), QSize(478, 540)));
        QVERIFY(!VlcMedia::outputWorthRestarting(QSize(), QSize(1920, 1080)));
    }

    // One decoding thread up to 1080 lines (first picture sooner), automatic above; hardware
    // decoding unless switched off.
    void decoderOptionsFollowThePictureHeight()
    {
        const QByteArray saved = qgetenv("TRAVA_HW_DECODING");
        qputenv("TRAVA_HW_DECODING", "0");
        QVERIFY(VlcMedia::options(1080).contains(":avcodec-threads=1"));
        QVERIFY(VlcMedia::options(0).contains(":avcodec-threads=1"));
        QVERIFY(VlcMedia::options(1088).contains(":avcodec-threads=0"));
        QVERIFY(VlcMedia::options(2160).contains(":avcodec-threads=0"));
        QVERIFY(!VlcMedia::options(2160).join(' ').contains("avcodec-hw"));
        QVERIFY(VlcMedia::options(2160).contains(":file-caching=100"));
        qputenv("TRAVA_HW_DECODING", "1");
        QVERIFY(VlcMedia::options(2160).contains(":avcodec-hw=any"));
        if (saved.isNull())
            qunsetenv("TRAVA_HW_DECODING");
        else
            qputenv("TRAVA_HW_DECODING", saved);
    }

    // The picture clock: libVLC's reports re-anchor it, the display moment of a picture reads it.
    void pictureClockFollowsReportsPauseRateAndSeeks()
    {
        constexpr qint64 s = 1000000; // microseconds of libvlc_clock()
        PictureClock c;
        c.reset(0.0);
        c.setFrameRate(25);
        // The first picture of a media is where its pictures start, whenever it comes.
        QCOMPARE(c.pictureTimeMs(7 * s), 0.0);
        QCOMPARE(c.pictureTimeMs(7 * s + 400000), 400.0);
        // A report re-anchors; pictures between reports follow the elapsed time, on the grid.
        c.timeReported(1000.0, 8 * s);
        QCOMPARE(c.pictureTimeMs(8 * s + 39000), 1040.0);  // 1039 ms snaps to frame 26
        QCOMPARE(c.pictureTimeMs(8 * s + 995000), 2000.0); // just before a whole second: that frame
        // Paused, the clock stands still (libVLC repaints the same picture meanwhile) ...
        c.paused(9 * s);
        QCOMPARE(c.pictureTimeMs(9 * s + 700000), 2000.0);
        QCOMPARE(c.pictureTimeMs(12 * s), 2000.0);
        // ... and resumes from where it stood.
        c.resumed(20 * s);
        QCOMPARE(c.pictureTimeMs(20 * s + 80000), 2080.0);
        // At 2x a second of the recording passes in half a second.
        c.rateChanged(2.0, 21 * s);
        QCOMPARE(c.pictureTimeMs(21 * s + 500000), 4000.0);
        c.rateChanged(0.5, 22 * s);
        QCOMPARE(c.pictureTimeMs(24 * s), 6000.0);
        c.rateChanged(1.0, 24 * s);
        // A seek under way while the rate changes: the new rate holds at once.
        c.rateRequested(0.5, 24 * s + 100000);
        QVERIFY(c.rateChanging());
        c.seekRequested(6000.0, 24 * s + 200000);
        QVERIFY(!c.rateChanging());
        QCOMPARE(c.rate(), 0.5);
        c.rateChanged(1.0, 24 * s + 300000);

        // A seek: pictures carry its target until the player reports time near it; reports
        // raised before the seek took effect still carry the old place and are ignored.
        c.seekRequested(30000.0, 25 * s);
        QVERIFY(c.seekPending());
        QCOMPARE(c.pictureTimeMs(25 * s + 10000), 30000.0);
        c.timeReported(7100.0, 25 * s + 20000);
        QCOMPARE(c.pictureTimeMs(25 * s + 30000), 30000.0);
        c.timeReported(30040.0, 25 * s + 60000);
        QVERIFY(!c.seekPending());
        QCOMPARE(c.pictureTimeMs(25 * s + 100000), 30080.0);
        // A seek that lands far from its target is believed after a while.
        c.seekRequested(10000.0, 30 * s);
        c.timeReported(14000.0, 30 * s + 200000);
        QVERIFY(c.seekPending());
        c.timeReported(14500.0, 32 * s);
        QVERIFY(!c.seekPending());
        QCOMPARE(c.pictureTimeMs(32 * s + 500000), 15000.0);
        // Without a report in time the seek is taken to have landed on its target with the
        // picture shown then: later pictures count on from it, stale reports stay ignored, and
        // a report near the target still places it.
        c.seekRequested(20000.0, 33 * s);
        QVERIFY(c.seekUnplaced());
        c.seekLanded(33 * s + 100000);
        QVERIFY(!c.seekUnplaced());
        QVERIFY(c.seekPending());
        QCOMPARE(c.pictureTimeMs(33 * s + 300000), 20200.0);
        c.timeReported(15600.0, 33 * s + 350000);
        QCOMPARE(c.pictureTimeMs(33 * s + 420000), 20320.0);
        c.timeReported(20400.0, 33 * s + 500000);
        QVERIFY(!c.seekPending());
        QCOMPARE(c.pictureTimeMs(33 * s + 540000), 20440.0);

        // A seek while paused: the clock waits at the target and starts from it.
        c.paused(40 * s);
        c.seekRequested(5000.0, 41 * s);
        QCOMPARE(c.pictureTimeMs(42 * s), 5000.0);
        c.timeReported(5000.0, 43 * s);
        c.resumed(44 * s);
        QCOMPARE(c.pictureTimeMs(45 * s), 6000.0);

        // Transport streams: pictures start after the start of the clock and lie on the grid from there.
        PictureClock ts;
        ts.reset(733.0);
        ts.setFrameRate(30);
        QCOMPARE(ts.pictureTimeMs(1 * s), 733.0);
        ts.timeReported(1730.0, 2 * s);
        QCOMPARE(qRound(ts.pictureTimeMs(2 * s + 5000) * 3), qRound(733.0 * 3 + 1000.0 * 3));
        // Without a frame rate nothing is snapped; nothing is ever before 0.
        PictureClock bare;
        bare.reset(0.0);
        bare.timeReported(0.0, 1 * s);
        QCOMPARE(bare.pictureTimeMs(1 * s + 12345), 12.345);
        bare.seekRequested(-50.0, 2 * s);
        QCOMPARE(bare.pictureTimeMs(2 * s), 0.0);

        // Near the end the demuxer's clock stands still while the last pictures are shown:
        // such reports do not take the clock back, and no picture is past the end.
        PictureClock end;
        end.reset(0.0);
        end.setFrameRate(25);
        end.setLengthMs(10000.0);
        end.timeReported(9000.0, 1 * s);
        end.timeReported(9100.0, 1 * s + 500000);
        QCOMPARE(end.pictureTimeMs(1 * s + 600000), 9600.0);
        QCOMPARE(end.pictureTimeMs(3 * s), 10000.0);
        // Earlier in the recording a report behind the clock is believed (pictures stalled).
        end.seekRequested(2000.0, 4 * s);
        end.timeReported(2000.0, 4 * s);
        end.timeReported(2100.0, 4 * s + 500000);
        QCOMPARE(end.pictureTimeMs(4 * s + 500000), 2120.0);
    }

    // After a rate change the pictures libVLC had decoded still come at the old pace; the
    // first one decoded at the new rate comes a queue's depth after the first shown, when the
    // new pace (which the reports follow at once) reaches it.
    void pictureClockFollowsTheQueueThroughRateChanges()
    {
        constexpr qint64 ms = 1000; // microseconds of libvlc_clock()
        const qint64 t0 = 1000 * ms;
        PictureClock c;
        c.reset(0.0);
        c.setFrameRate(25);
        c.timeReported(10000.0, t0);
        // Slower: five old pictures at 1x, then the last is shown again until the new ones are due.
        c.rateRequested(0.5, t0 + 10 * ms);
        QCOMPARE(c.queueDepth(), 0);
        for (int k = 0; k < 5; ++k)
            QCOMPARE(c.pictureTimeMs(t0 + (15 + 40 * k) * ms), 10000.0 + 40 * k);
        c.timeReported(10100.0, t0 + 300 * ms); // the new pace: not the picture on screen
        QCOMPARE(c.pictureTimeMs(t0 + 175 * ms, true), 10160.0); // shown again at once: not a sign
        QCOMPARE(c.queueDepth(), 0);
        QCOMPARE(c.pictureTimeMs(t0 + 251 * ms, true), 10160.0); // late: the old ones ran out
        QCOMPARE(c.queueDepth(), 5);
        QCOMPARE(c.pictureTimeMs(t0 + 420 * ms, true), 10160.0);
        QVERIFY(c.rateChanging());
        QCOMPARE(c.pictureTimeMs(t0 + 500 * ms), 10200.0); // 10100 + 200 ms at 1/2x
        QVERIFY(!c.rateChanging());
        QCOMPARE(c.pictureTimeMs(t0 + 580 * ms), 10240.0);

        // Faster, from 1/2x: the first new picture comes before the next old one would have, at
        // the new pace's time; the old ones due after it are dropped by libVLC.
        const qint64 t1 = t0 + 1000 * ms; // the clock stands at 10450
        c.rateRequested(2.0, t1);
        c.timeReported(10500.0, t1 + 1 * ms);
        QCOMPARE(c.pictureTimeMs(t1 + 15 * ms), 10440.0);
        QCOMPARE(c.pictureTimeMs(t1 + 71 * ms), 10640.0); // 10500 + 70 ms at 2x
        QVERIFY(!c.rateChanging());
        QCOMPARE(c.queueDepth(), 5);
        QCOMPARE(c.pictureTimeMs(t1 + 91 * ms), 10680.0);

        // Slower again, with a deeper queue than learnt: old pictures past it show it.
        const qint64 t2 = t1 + 1000 * ms; // the clock stands at 10640 + 929 ms * 2 = 12498
        c.rateRequested(1.0, t2);
        c.timeReported(12498.0, t2);
        for (int k = 0; k <= 5; ++k) // 20 ms apart at 2x: six old ones
            QCOMPARE(c.pictureTimeMs(t2 + (10 + 20 * k) * ms), 12520.0 + 40 * k);
        QCOMPARE(c.queueDepth(), 6);
        QCOMPARE(c.pictureTimeMs(t2 + 200 * ms, true), 12720.0);
        QCOMPARE(c.pictureTimeMs(t2 + 262 * ms), 12760.0); // the first new one, six after the first
        QVERIFY(!c.rateChanging());

        // Paused in the middle: both paces stand still, and go on from there.
        c.rateRequested(0.5, t2 + 300 * ms);
        QCOMPARE(c.pictureTimeMs(t2 + 310 * ms), 12800.0);
        c.paused(t2 + 320 * ms);
        QCOMPARE(c.pictureTimeMs(t2 + 900 * ms, true), 12800.0);
        c.resumed(t2 + 2000 * ms);
        QCOMPARE(c.pictureTimeMs(t2 + 2030 * ms), 12840.0);
        QVERIFY(c.rateChanging());

        // A second request before any report: 1x -> 1/2x, then 2x 50 ms later. The 2x pace
        // starts where the 1/2x one stood (10010 + 25 = 10035), not where the 1x pictures
        // on screen stand (10060), so its first picture is due later.
        PictureClock twice;
        twice.reset(0.0);
        twice.setFrameRate(25);
        twice.timeReported(10000.0, t0);
        twice.rateRequested(0.5, t0 + 10 * ms);
        twice.rateRequested(2.0, t0 + 60 * ms);
        QCOMPARE(twice.pictureTimeMs(t0 + 75 * ms), 10080.0);
        QCOMPARE(twice.pictureTimeMs(t0 + 105 * ms), 10120.0); // the 2x clock (10125) is not ahead yet
        QVERIFY(twice.rateChanging());
        QCOMPARE(twice.pictureTimeMs(t0 + 115 * ms), 10160.0); // 10035 + 55 ms at 2x = 10145
        QVERIFY(!twice.rateChanging());
        QCOMPARE(twice.rate(), 2.0);

        // Back to the rate in force before the first change landed: which way it goes is where
        // the new pace stands against the pictures on screen. 1x -> 1/2x -> 1x leaves the new
        // pace 60 ms behind the old clock (10010 + 120 ms at 1/2x = 10070 at t0 + 130): the
        // old pictures run out and the last one stays up until the new pace reaches the first
        // new one, five after the first shown.
        PictureClock back;
        back.reset(0.0);
        back.setFrameRate(25);
        back.timeReported(10000.0, t0);
        back.rateRequested(0.5, t0 + 10 * ms);
        QCOMPARE(back.pictureTimeMs(t0 + 15 * ms), 10000.0);
        QCOMPARE(back.pictureTimeMs(t0 + 55 * ms), 10040.0);
        back.rateRequested(1.0, t0 + 130 * ms);
        for (int k = 0; k < 5; ++k)
            QCOMPARE(back.pictureTimeMs(t0 + (135 + 40 * k) * ms), 10120.0 + 40 * k);
        QCOMPARE(back.pictureTimeMs(t0 + 360 * ms, true), 10280.0); // late: the old ones ran out
        QCOMPARE(back.queueDepth(), 5);
        QVERIFY(back.rateChanging());
        QCOMPARE(back.pictureTimeMs(t0 + 382 * ms), 10320.0); // 10070 + 252 ms at 1x
        QVERIFY(!back.rateChanging());
        QCOMPARE(back.rate(), 1.0);
        QCOMPARE(back.pictureTimeMs(t0 + 422 * ms), 10360.0);

        // 1x -> 2x -> 1x leaves it 100 ms ahead (10010 + 100 ms at 2x = 10210 at t0 + 110):
        // the first new picture comes before the next old one would have, at the new pace's
        // time, and libVLC drops the old ones due after it.
        PictureClock there;
        there.reset(0.0);
        there.setFrameRate(25);
        there.timeReported(10000.0, t0);
        there.rateRequested(2.0, t0 + 10 * ms);
        QCOMPARE(there.pictureTimeMs(t0 + 42 * ms), 10040.0);
        QCOMPARE(there.pictureTimeMs(t0 + 82 * ms), 10080.0);
        there.rateRequested(1.0, t0 + 110 * ms);
        QCOMPARE(there.pictureTimeMs(t0 + 122 * ms), 10120.0);
        QCOMPARE(there.pictureTimeMs(t0 + 162 * ms), 10160.0);
        QCOMPARE(there.pictureTimeMs(t0 + 202 * ms), 10200.0);
        QVERIFY(there.rateChanging());
        QCOMPARE(there.pictureTimeMs(t0 + 222 * ms), 10320.0); // 10210 + 112 ms at 1x
        QVERIFY(!there.rateChanging());
        QCOMPARE(there.queueDepth(), 5);
        QCOMPARE(there.pictureTimeMs(t0 + 262 * ms), 10360.0);
    }
};

QTEST_MAIN(PlaybackPartsTest)
#include "tst_playbackparts.moc"
