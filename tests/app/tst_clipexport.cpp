// The clip export of the window: In and Out at the picture's time, a range across the
// recordings of a drive, the dialog's request for each range choice, and the export job
// with a runner double: progress, a cancel that leaves nothing, the evidence beside the clip.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>

#include "app/clipexport.h"
#include "app/clipexportdialog.h"
#include "app/clipexportengine.h"
#include "app/clipexportjob.h"
#include "app/clipmarks.h"
#include "core/mlanguagemanager.h"
#include "playback/channelset.h"
#include "playback/mediaplayview.h"
#include "playback/playbackcontroller.h"
#include "support/channelcard.h"
#include "support/framenumber.h"
#include "support/mediaprobe.h"
#include "support/testsettings.h"
#include "support/trackbuilder.h"

namespace {
constexpr double kEnd = ClipRecording::kEnd;
const QString kClipA = QStringLiteral(TRAVA_TEST_DATA "/clip/trip-a.mp4");
const QString kClipB = QStringLiteral(TRAVA_TEST_DATA "/clip/trip-b.mp4");

// Stands in for the clip library: writes the output in slices under a temporary name,
// reporting progress and asking whether to stop, and renames it at the end.
class RunnerDouble : public ClipExportRunner {
public:
    int slices = 20;
    int sliceMs = 20;
    std::atomic<int> started{0};
    Result run(const ClipRequest &request, const std::function<void(double)> &progress,
               const std::function<bool()> &cancelled) override
    {
        ++started;
        const QString temp = request.output + QStringLiteral(".part");
        QFile f(temp);
        if (!f.open(QIODevice::WriteOnly))
            return {{}, f.errorString(), {}};
        for (int i = 0; i < slices; ++i) {
            if (cancelled()) {
                f.remove();
                return {{}, QStringLiteral("cancelled"), {}};
            }
            f.write(QByteArray(4096, char('a' + i % 26)));
            progress(double(i + 1) / slices);
            QThread::msleep(sliceMs);
        }
        f.close();
        if (!QFile::rename(temp, request.output))
            return {{}, QStringLiteral("rename failed"), {}};
        return {{request.output}, {}, {}};
    }
};

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

ClipExportContext driveContext()
{
    ClipExportContext c;
    c.current = QStringLiteral("/card/a.mp4");
    c.seconds = 100;
    c.length = 300;
    c.trip = {QStringLiteral("/card/a.mp4"), QStringLiteral("/card/b.mp4")};
    c.marks = {{QStringLiteral("/card/a.mp4"), 250, kEnd}, {QStringLiteral("/card/b.mp4"), 0, 12}};
    c.eventSecond = 100;
    c.channels.insert(QStringLiteral("/card/a.mp4"), {{QStringLiteral("rear"), QStringLiteral("/card/a-rear.mp4")}});
    c.channels.insert(QStringLiteral("/card/b.mp4"), {{QStringLiteral("rear"), QStringLiteral("/card/b-rear.mp4")}});
    c.suggestedOutput = QStringLiteral("/out/a-clip.mp4");
    return c;
}
} // namespace

class TestClipExport : public QObject {
    Q_OBJECT
    TestSettings settings;

private slots:
    void init() { TestSettings::clearInEnglish(); }

    // I and O take the picture's time from the player; the Playback menu carries them.
    void marksAtThePicturesTime()
    {
        QWidget window;
        auto *player = new MediaPlayView(&window);
        ClipExport::Places places;
        places.window = &window;
        places.player = player;
        places.current = [] { return MFileModel(QStringLiteral("a.mp4"), QStringLiteral("/card/a.mp4")); };
        ClipExport clips(places);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        player->controller()->applyDecoderTime(12.5);
        QTest::keyClick(&window, Qt::Key_I);
        QCOMPARE(clips.marks()->in(), (ClipPoint{QStringLiteral("/card/a.mp4"), 12.5}));
        QVERIFY(!clips.marks()->out());
        player->controller()->applyDecoderTime(20.25);
        QTest::keyClick(&window, Qt::Key_O);
        QCOMPARE(clips.marks()->out(), (ClipPoint{QStringLiteral("/card/a.mp4"), 20.25}));
        QCOMPARE(clips.marks()->recordings(), (QList<ClipRecording>{{QStringLiteral("/card/a.mp4"), 12.5, 20.25}}));
        QCOMPARE(clips.context().marks.size(), 1);

        QMenu menu;
        clips.fillPlaybackMenu(&menu);
        QVERIFY(menu.actions().contains(clips.markInAction()));
        QVERIFY(menu.actions().contains(clips.clearMarksAction()));
        QCOMPARE(clips.markInAction()->text(), QStringLiteral("Mark In"));
        QCOMPARE(clips.exportAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
        clips.clearMarksAction()->trigger();
        QVERIFY(!clips.marks()->in() && !clips.marks()->out());
        QVERIFY(clips.context().marks.isEmpty());
    }

    // In in the first recording of a drive, Out in its third: every recording between
    // is whole, and each one's timeline shows its part.
    void rangeAcrossRecordings()
    {
        const QStringList drive = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        ClipMarks marks([drive](const QString &path) { return drive.contains(path) ? drive : QStringList{path}; });
        QSignalSpy changed(&marks, &ClipMarks::changed);
        marks.setIn(QStringLiteral("a"), 50);
        QCOMPARE(marks.rangeOn(QStringLiteral("a"), 100), (MarkedStretch{0.5, std::nullopt}));
        QVERIFY(marks.rangeOn(QStringLiteral("b"), 100).isEmpty());
        marks.setOut(QStringLiteral("c"), 10);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(marks.recordings(), (QList<ClipRecording>{{QStringLiteral("a"), 50, kEnd},
                                                           {QStringLiteral("b"), 0, kEnd},
                                                           {QStringLiteral("c"), 0, 10}}));
        QCOMPARE(marks.rangeOn(QStringLiteral("a"), 100), (MarkedStretch{0.5, 1.0}));
        QCOMPARE(marks.rangeOn(QStringLiteral("b"), 100), (MarkedStretch{0.0, 1.0}));
        QCOMPARE(marks.rangeOn(QStringLiteral("c"), 40), (MarkedStretch{0.0, 0.25}));
        QVERIFY(marks.rangeOn(QStringLiteral("elsewhere"), 40).isEmpty());

        // An In after the Out drops the Out; an Out before the In, or in another drive, the In.
        marks.setIn(QStringLiteral("c"), 20);
        QVERIFY(!marks.out());
        marks.setOut(QStringLiteral("b"), 5);
        QVERIFY(!marks.in());
        QCOMPARE(marks.out(), (ClipPoint{QStringLiteral("b"), 5}));
        marks.setIn(QStringLiteral("a"), 1);
        marks.setOut(QStringLiteral("elsewhere"), 30);
        QVERIFY(!marks.in());
        QVERIFY(marks.recordings().isEmpty());
        marks.setIn(QStringLiteral("elsewhere"), 30); // not before its own Out
        QVERIFY(!marks.out());
    }

    // Each range choice gives its stretches; the channels, kind, widgets and evidence follow.
    void dialogRequestForEachChoice()
    {
        const ClipExportContext c = driveContext();
        ClipExportDialog dialog(c);
        QCOMPARE(dialog.rangeBox()->count(), 4);
        // The marks come first when they are set.
        ClipRequest r = dialog.request();
        QCOMPARE(r.range, ClipRequest::Range::Marks);
        QCOMPARE(r.recordings, c.marks);
        QCOMPARE(r.output, QStringLiteral("/out/a-clip.mp4"));
        QCOMPARE(r.kind, ClipRequest::Kind::Original);
        QVERIFY(r.evidence);
        QVERIFY(r.otherChannels.isEmpty());
        QCOMPARE(r.widgets, defaultClipWidgets());

        QVERIFY(dialog.chooseRange(ClipRequest::Range::Event));
        QCOMPARE(dialog.request().recordings, (QList<ClipRecording>{{c.current, 85, 115}}));
        QVERIFY(dialog.chooseRange(ClipRequest::Range::Recording));
        QCOMPARE(dialog.request().recordings, (QList<ClipRecording>{{c.current, 0, kEnd}}));
        QVERIFY(dialog.chooseRange(ClipRequest::Range::Trip));
        QCOMPARE(dialog.request().recordings, (QList<ClipRecording>{{c.trip[0], 0, kEnd}, {c.trip[1], 0, kEnd}}));

        // Every channel: the rear camera's files over the same stretches.
        QVERIFY(dialog.channelBox()->isEnabled());
        dialog.channelBox()->setCurrentIndex(1);
        dialog.chooseRange(ClipRequest::Range::Marks);
        QCOMPARE(dialog.request().otherChannels,
                 (QList<QList<ClipRecording>>{{{QStringLiteral("/card/a-rear.mp4"), 250, kEnd},
                                               {QStringLiteral("/card/b-rear.mp4"), 0, 12}}}));

        // Burned in: the evidence goes off by default, the dashboard's choices count.
        dialog.kindBox()->setCurrentIndex(1);
        QVERIFY(!dialog.evidenceBox()->isChecked());
        dialog.widgetBox(DashboardRenderer::Route)->setChecked(true);
        dialog.widgetBox(DashboardRenderer::Position)->setChecked(false);
        dialog.placeBox()->setCurrentIndex(2);
        dialog.layoutBox()->setCurrentIndex(1);
        dialog.unitBox()->setCurrentIndex(1);
        r = dialog.request();
        QCOMPARE(r.kind, ClipRequest::Kind::WithDashboard);
        QVERIFY(!r.evidence);
        QCOMPARE(r.widgets, DashboardRenderer::Widgets(DashboardRenderer::SpeedReadout | DashboardRenderer::DateTime |
                                                       DashboardRenderer::GSensor | DashboardRenderer::Route));
        QCOMPARE(r.placement, DashboardRenderer::Placement::BottomLeft);
        QCOMPARE(r.layout, QStringLiteral("pip"));
        QCOMPARE(r.speedUnit, QStringLiteral("MPH"));
        dialog.kindBox()->setCurrentIndex(0);
        QVERIFY(dialog.evidenceBox()->isChecked());

        // Remembered for the next dialog.
        dialog.kindBox()->setCurrentIndex(1);
        dialog.chooseRange(ClipRequest::Range::Trip);
        dialog.outputEdit()->setText(QStringLiteral("/tmp/x.mp4"));
        dialog.remember();
        ClipExportContext plain = driveContext();
        plain.marks.clear();
        ClipExportDialog again(plain);
        const ClipRequest next = again.request();
        QCOMPARE(next.range, ClipRequest::Range::Trip);
        QCOMPARE(next.kind, ClipRequest::Kind::WithDashboard);
        QCOMPARE(next.widgets, r.widgets);
        QCOMPARE(next.placement, DashboardRenderer::Placement::BottomLeft);
        QCOMPARE(next.layout, QStringLiteral("pip"));
        QCOMPARE(next.speedUnit, QStringLiteral("MPH"));
        QCOMPARE(next.output, QStringLiteral("/tmp/a-clip.mp4"));
        QCOMPARE(next.otherChannels.size(), 1);
    }

    // While the window shows several channels the dialog starts on all of them in the window's
    // layout, whatever was stored; a change there holds for that export only. The layout is
    // offered only for several channels burned in.
    void dialogStartsFromTheWindowsChannels()
    {
        using L = MLanguageManager;
        ClipExportDialog stored(driveContext());
        stored.kindBox()->setCurrentIndex(1);
        stored.remember(); // the shown channel, main layout, burned in

        ClipExportContext c = driveContext();
        c.windowLayout = QStringLiteral("side");
        c.channelOffsets.insert(QStringLiteral("rear"), 0.52);
        ClipExportDialog dialog(c);
        QVERIFY(dialog.followsWindow());
        QCOMPARE(dialog.channelBox()->currentIndex(), 1);
        ClipRequest r = dialog.request();
        QCOMPARE(r.kind, ClipRequest::Kind::WithDashboard);
        QCOMPARE(r.layout, QStringLiteral("side"));
        QCOMPARE(r.otherChannelNames, QStringList{QStringLiteral("rear")});
        QCOMPARE(r.otherChannelOffsets, (QList<double>{0.52}));
        QVERIFY(dialog.layoutBox()->isEnabled());
        QVERIFY(!dialog.channelNote()->isHidden());
        QCOMPARE(dialog.channelNote()->text(), L::localized("Clip.channels.composed", "Composed in the chosen layout"));

        // The original packets: every channel to its own file, no layout to choose.
        dialog.kindBox()->setCurrentIndex(0);
        QVERIFY(!dialog.layoutBox()->isEnabled());
        QCOMPARE(dialog.channelNote()->text(), L::localized("Clip.channels.separate", "Each channel to its own file"));
        dialog.kindBox()->setCurrentIndex(1);
        QVERIFY(dialog.layoutBox()->isEnabled());
        dialog.layoutBox()->setCurrentIndex(dialog.layoutBox()->findData(QStringLiteral("main")));
        QCOMPARE(dialog.channelNote()->text(), L::localized("Clip.channels.separate", "Each channel to its own file"));
        // The shown channel alone: nothing to lay out.
        dialog.channelBox()->setCurrentIndex(0);
        QVERIFY(!dialog.layoutBox()->isEnabled());
        QVERIFY(dialog.channelNote()->isHidden());
        QVERIFY(dialog.request().otherChannels.isEmpty());

        // Changed for this export only: the next dialog shows the window's choice again.
        dialog.layoutBox()->setCurrentIndex(dialog.layoutBox()->findData(QStringLiteral("grid")));
        dialog.remember();
        ClipExportDialog next(c);
        QCOMPARE(next.channelBox()->currentIndex(), 1);
        QCOMPARE(next.request().layout, QStringLiteral("side"));
        c.windowLayout = QStringLiteral("grid");
        QCOMPARE(ClipExportDialog(c).request().layout, QStringLiteral("grid"));

        // One channel on screen, or a recording without others: the stored choice, as before.
        c.windowLayout.clear();
        ClipExportDialog single(c);
        QVERIFY(!single.followsWindow());
        QCOMPARE(single.channelBox()->currentIndex(), 0);
        QCOMPARE(single.request().layout, QStringLiteral("main"));
        QVERIFY(!single.layoutBox()->isEnabled());
        c.windowLayout = QStringLiteral("side");
        c.channels.clear();
        ClipExportDialog alone(c);
        QVERIFY(!alone.followsWindow());
        QCOMPARE(alone.request().layout, QStringLiteral("main"));
        QVERIFY(alone.request().otherChannels.isEmpty());
    }

    // Only what the moment allows is offered; an event near either end stays inside the recording.
    void dialogOffersOnlyWhatIsThere()
    {
        ClipExportContext c = driveContext();
        c.marks.clear();
        c.eventSecond.reset();
        c.trip = {c.current};
        c.channels.clear();
        ClipExportDialog dialog(c);
        QCOMPARE(dialog.rangeBox()->count(), 1);
        QVERIFY(!dialog.chooseRange(ClipRequest::Range::Marks));
        QVERIFY(!dialog.chooseRange(ClipRequest::Range::Trip));
        QVERIFY(!dialog.channelBox()->isEnabled());
        QCOMPARE(dialog.request().range, ClipRequest::Range::Recording);

        c.eventSecond = 5;
        QCOMPARE(ClipExportDialog::recordingsFor(ClipRequest::Range::Event, c),
                 (QList<ClipRecording>{{c.current, 0, 20}}));
        c.eventSecond = 290;
        QCOMPARE(ClipExportDialog::recordingsFor(ClipRequest::Range::Event, c),
                 (QList<ClipRecording>{{c.current, 275, kEnd}}));
    }

    // Near the start or the end of a recording the event's margin reaches into the drive's
    // previous or next recording; without a neighbour (or its length) it stays inside.
    void eventRangeReachesIntoTheNeighbours()
    {
        ClipExportContext c = driveContext();
        c.trip = {QStringLiteral("/card/p.mp4"), c.current, QStringLiteral("/card/n.mp4")};
        c.lengthOf = [](const QString &path) { return path == QLatin1String("/card/p.mp4") ? 120.0 : 0.0; };
        c.eventSecond = 5;
        QCOMPARE(ClipExportDialog::recordingsFor(ClipRequest::Range::Event, c),
                 (QList<ClipRecording>{{QStringLiteral("/card/p.mp4"), 110, kEnd}, {c.current, 0, 20}}));
        c.eventSecond = 290;
        QCOMPARE(ClipExportDialog::recordingsFor(ClipRequest::Range::Event, c),
                 (QList<ClipRecording>{{c.current, 275, kEnd}, {QStringLiteral("/card/n.mp4"), 0, 5}}));
        c.eventSecond = 285; // ends on the last picture: nothing of the next one
        QCOMPARE(ClipExportDialog::recordingsFor(ClipRequest::Range::Event, c).size(), 1);
        c.eventSecond = 5;
        c.lengthOf = nullptr;
        QCOMPARE(ClipExportDialog::recordingsFor(ClipRequest::Range::Event, c),
                 (QList<ClipRecording>{{c.current, 0, 20}}));

        // The channels keep their moments: the rear file of the previous recording is missing.
        c.lengthOf = [](const QString &) { return 120.0; };
        c.channelOffsets.insert(QStringLiteral("rear"), -0.52);
        ClipExportDialog dialog(c);
        QVERIFY(dialog.chooseRange(ClipRequest::Range::Event));
        dialog.channelBox()->setCurrentIndex(1);
        const ClipRequest r = dialog.request();
        QCOMPARE(r.recordings.size(), 2);
        QCOMPARE(r.otherChannels, (QList<QList<ClipRecording>>{{{QString(), 110, kEnd},
                                                                {QStringLiteral("/card/a-rear.mp4"), 0, 20}}}));
        QCOMPARE(r.otherChannelOffsets, (QList<double>{-0.52}));
    }

    // Original recordings that do not join: the dialog stays, says why and offers the burn-in,
    // which keeps the range.
    void joinRefusalOffersTheBurnIn()
    {
        const QString other = QStringLiteral(TRAVA_TEST_DATA "/clip/other-size.mp4");
        QTemporaryDir dir;
        ClipExportEngine engine;
        ClipExportContext c;
        c.current = kClipA;
        c.length = 4;
        c.trip = {kClipA, other};
        c.marks = {{kClipA, 3, kEnd}, {other, 0, 1}};
        c.suggestedOutput = dir.filePath(QStringLiteral("x.mp4"));
        c.joinProblem = [&engine](const ClipRequest &r) { return engine.joinProblem(r); };
        ClipExportDialog dialog(c);
        dialog.show();
        QCOMPARE(dialog.request().kind, ClipRequest::Kind::Original);
        QVERIFY(!dialog.joinNote()->isVisible());
        auto *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        ok->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.joinNote()->isVisible());
        QVERIFY2(dialog.joinNote()->text().contains(QStringLiteral("other-size.mp4")), qPrintable(dialog.joinNote()->text()));
        QVERIFY(dialog.burnInInsteadButton()->isVisible());

        dialog.burnInInsteadButton()->click();
        QCOMPARE(dialog.request().kind, ClipRequest::Kind::WithDashboard);
        QCOMPARE(dialog.request().range, ClipRequest::Range::Marks);
        QCOMPARE(dialog.request().recordings, c.marks);
        QVERIFY(!dialog.joinNote()->isVisible());
        ok->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // Recordings that join say nothing.
        ClipRequest joined;
        joined.recordings = {{kClipA, 3, kEnd}, {kClipB, 0, 1}};
        QVERIFY(engine.joinProblem(joined).isEmpty());
        QVERIFY(engine.length(kClipA) > 3.9);
    }

    // Burned in with a layout: one clip, the rear camera beside the front one in the grid,
    // black where the rear camera has no file for the moment.
    void engineComposesTheChannels()
    {
        QTemporaryDir dir;
        ClipRequest request;
        request.recordings = {{kClipA, 1, kEnd}, {kClipB, 0, 2}};
        request.otherChannels = {{{kClipB, 1, kEnd}, {QString(), 0, 2}}};
        request.otherChannelNames = {QStringLiteral("rear")};
        request.otherChannelOffsets = {0.0};
        request.output = dir.filePath(QStringLiteral("both.mp4"));
        request.kind = ClipRequest::Kind::WithDashboard;
        request.widgets = DashboardRenderer::Widgets(DashboardRenderer::SpeedReadout);
        request.layout = QStringLiteral("grid");
        ClipExportEngine engine;
        const ClipExportRunner::Result r = engine.run(request, [](double) {}, [] { return false; });
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.files, QStringList{request.output});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        const std::vector<DecodedPicture> pics = decodePictures(request.output.toStdString());
        QCOMPARE(pics.size(), std::size_t(150));
        QCOMPARE(pics[0].width, 640);
        auto cell = [&pics](int i, int x) {
            const DecodedPicture &p = pics[std::size_t(i)];
            return QImage(p.bgra.data(), p.width, p.height, p.width * 4, QImage::Format_RGB32).copy(x, 0, 320, 180);
        };
        QCOMPARE(syncFrameNumber(cell(0, 0)), 30);
        QCOMPARE(syncFrameNumber(cell(0, 320)), 150);
        QCOMPARE(syncFrameNumber(cell(80, 320)), 230);
        QCOMPARE(syncFrameNumber(cell(100, 0)), 130);
        QVERIFY(qGray(cell(100, 320).pixel(160, 90)) < 30);
    }

    // The job writes the clip and its evidence off the GUI thread; the progress arrives.
    void jobWritesClipAndEvidence()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("a.mp4"));
        QVERIFY(writeBytes(source, QByteArray(50000, 's')));
        ClipRequest request;
        request.recordings = {{source, 2, 6}};
        request.output = dir.filePath(QStringLiteral("incident.mp4"));
        EvidenceInput evidence;
        evidence.recordings = {{source, 2, 6, straightTrack(10, 48.1, 11.5, 1e-4, 0)}};
        auto runner = std::make_shared<RunnerDouble>();
        runner->sliceMs = 1;
        ClipExportJob job(runner, request, evidence);
        QSignalSpy finished(&job, &ClipExportJob::finished);
        QSignalSpy progressed(&job, &ClipExportJob::progressed);
        job.start();
        QVERIFY(job.isRunning());
        QVERIFY(finished.wait(20000));
        QVERIFY2(finished[0][0].toBool(), qPrintable(finished[0][1].toString()));
        const QStringList files = finished[0][2].toStringList();
        QCOMPARE(files.size(), 6);
        QCOMPARE(files.first(), request.output);
        for (const QString &f : files)
            QVERIFY2(QFileInfo(f).size() > 0, qPrintable(f));
        QVERIFY(!progressed.isEmpty());
        QCOMPARE(job.progress(), 1.0);
    }

    // Cancel halfway: the runner stops, and neither the clip nor the package is left.
    void cancelLeavesNothing()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("a.mp4"));
        QVERIFY(writeBytes(source, QByteArray(1000, 's')));
        ClipRequest request;
        request.recordings = {{source, 0, kEnd}};
        request.output = dir.filePath(QStringLiteral("incident.mp4"));
        EvidenceInput evidence;
        evidence.recordings = {{source, 0, kEnd, Track()}};
        auto runner = std::make_shared<RunnerDouble>();
        runner->slices = 500;
        ClipExportJob job(runner, request, evidence);
        QSignalSpy finished(&job, &ClipExportJob::finished);
        job.start();
        QTRY_VERIFY_WITH_TIMEOUT(job.progress() > 0.05, 10000);
        job.cancel();
        QVERIFY(finished.wait(10000));
        QVERIFY(!finished[0][0].toBool());
        QCOMPARE(finished[0][1].toString(), QStringLiteral("cancelled"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.mp4")});
    }

    // The evidence cannot be written (its source vanished): the clip goes too, and the message says why.
    void failedEvidenceTakesTheClip()
    {
        QTemporaryDir dir;
        ClipRequest request;
        request.recordings = {{dir.filePath(QStringLiteral("gone.mp4")), 0, kEnd}};
        request.output = dir.filePath(QStringLiteral("incident.mp4"));
        EvidenceInput evidence;
        evidence.recordings = {{request.recordings[0].path, 0, kEnd, Track()}};
        auto runner = std::make_shared<RunnerDouble>();
        runner->sliceMs = 1;
        ClipExportJob job(runner, request, evidence);
        QSignalSpy finished(&job, &ClipExportJob::finished);
        job.start();
        QVERIFY(finished.wait(10000));
        QVERIFY(!finished[0][0].toBool());
        QVERIFY2(finished[0][1].toString().contains(QStringLiteral("gone.mp4")), qPrintable(finished[0][1].toString()));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // The real runner: marks from 2.5 s in one recording to 2.2 s into the next become one
    // lossless clip from the key frame at 2 s, its packets the recordings' own; with every
    // channel asked for, the further channel goes to its own file named after it.
    void engineWritesLosslessClipAndChannels()
    {
        QTemporaryDir dir;
        ClipRequest request;
        request.recordings = {{kClipA, 2.5, kEnd}, {kClipB, 0, 2.2}};
        request.output = dir.filePath(QStringLiteral("incident.mp4"));
        clip::ClipRequest range;
        QString why;
        QVERIFY(ClipExportEngine::commonRange(request.recordings, &range, &why));
        std::string error;
        const std::vector<double> lengths = clip::recordingDurations(range.recordings, &error);
        QCOMPARE(lengths.size(), std::size_t(2));
        QCOMPARE(range.from, 2.5);
        QVERIFY(std::abs(range.to - (lengths[0] + 2.2)) < 1e-9);
        QVERIFY(ClipExportEngine::commonRange({{kClipA, 1, kEnd}}, &range, &why));
        QCOMPARE(range.to, -1.0);

        request.otherChannels = {{{kClipB, 1, 3}}};
        request.otherChannelNames = {QStringLiteral("rear")};
        ClipExportEngine engine;
        double last = 0;
        const ClipExportRunner::Result r = engine.run(request, [&last](double f) { last = f; }, [] { return false; });
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        const QString rear = dir.filePath(QStringLiteral("incident-rear.mp4"));
        QCOMPARE(r.files, (QStringList{request.output, rear}));
        QCOMPARE(last, 1.0);
        const ProbedFile clip = probeMedia(request.output.toStdString());
        const ProbedFile source = probeMedia(kClipA.toStdString());
        QVERIFY(clip.ok && source.ok);
        QCOMPARE(clip.video.size(), std::size_t(127));
        QVERIFY(clip.video.front().key);
        const auto at2 = std::find_if(source.video.begin(), source.video.end(),
                                      [](const ProbedPacket &p) { return std::abs(p.pts - 2.0) < 1e-3; });
        QVERIFY(at2 != source.video.end() && at2->key);
        for (std::size_t i = 0; at2 + qsizetype(i) != source.video.end(); ++i)
            QVERIFY2(clip.video[i].bytes == at2[qsizetype(i)].bytes, qPrintable(QString::number(i)));
        QVERIFY(probeMedia(rear.toStdString()).video.size() > 30);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A cancel halfway through a burn-in, a join that cannot be made: each says why and
    // leaves nothing.
    void engineCancelAndRefusalsLeaveNothing()
    {
        QTemporaryDir dir;
        ClipRequest request;
        request.recordings = {{kClipA, 0, kEnd}, {kClipB, 0, kEnd}};
        request.output = dir.filePath(QStringLiteral("incident.mp4"));
        request.kind = ClipRequest::Kind::WithDashboard;
        request.widgets = defaultClipWidgets();
        request.otherChannels = {{{kClipB, 0, kEnd}}};
        std::atomic<bool> stop{false};
        ClipExportEngine engine;
        ClipExportRunner::Result r = engine.run(request, [&stop](double f) { if (f > 0) stop = true; },
                                                [&stop] { return stop.load(); });
        QCOMPARE(r.error, QStringLiteral("cancelled"));
        QVERIFY(r.files.isEmpty());
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

        request = ClipRequest();
        request.recordings = {{kClipA, 0, kEnd}, {QStringLiteral(TRAVA_TEST_DATA "/clip/other-size.mp4"), 0, kEnd}};
        request.output = dir.filePath(QStringLiteral("incident.mp4"));
        r = engine.run(request, [](double) {}, [] { return false; });
        QVERIFY2(r.error.contains(QStringLiteral("does not join")), qPrintable(r.error));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // The whole way: the dialog answered, a progress window that leaves the window usable,
    // the notice at the end. Without a runner the user is told so.
    void exportFromTheWindow()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("a.mp4"));
        QVERIFY(writeBytes(source, QByteArray(1000, 's')));
        QWidget window;
        auto *player = new MediaPlayView(&window);
        QStringList notices;
        ClipExport::Places places;
        places.window = &window;
        places.player = player;
        places.current = [source] { return MFileModel(QStringLiteral("a.mp4"), source); };
        places.notify = [&notices](const QString &text) { notices << text; };
        ClipExport clips(places);
        clips.setDialogHandler([](ClipExportDialog &d) {
            d.chooseRange(ClipRequest::Range::Recording);
            return true;
        });
        QVERIFY(!clips.exportInteractively());
        QCOMPARE(notices.value(0), QStringLiteral("Clip export is not available in this build"));

        auto runner = std::make_shared<RunnerDouble>();
        runner->sliceMs = 5;
        clips.setRunner(runner);
        QSignalSpy finished(&clips, &ClipExport::exportFinished);
        // The report in the language the window had when the export began, though it changes meanwhile.
        MLanguageManager::setNewLanguage(1);
        QVERIFY(clips.exportInteractively());
        MLanguageManager::setNewLanguage(0);
        QVERIFY(clips.progressDialog());
        QCOMPARE(clips.progressDialog()->windowModality(), Qt::NonModal);
        QVERIFY(!clips.exportInteractively()); // one at a time
        QVERIFY(finished.wait(20000));
        QVERIFY2(finished[0][0].toBool(), qPrintable(finished[0][1].toString()));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("a-clip.mp4"))));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("a-clip.sha256"))));
        QVERIFY(notices.last().startsWith(QStringLiteral("Clip saved:")));
        QFile html(dir.filePath(QStringLiteral("a-clip.html")));
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString report = QString::fromUtf8(html.readAll());
        QVERIFY2(report.contains(QStringLiteral("<html lang=\"ja\">")), qPrintable(report.left(300)));
        QVERIFY(report.contains(QStringLiteral("<h1>") +
                                MLanguageManager::localized(QStringLiteral("ja"), "Report.title", "Incident report") +
                                QStringLiteral("</h1>")));
    }

    // What the window shows is what is exported: its layout and the rear camera's offset
    // reach the composed clip through the dialog (the rear picture 0.52 s ahead: 15 frames).
    void windowsLayoutAndOffsetReachTheClip()
    {
        QTemporaryDir card;
        const MFileModel moment = channelMoment(card.path(), kClipA, QStringLiteral("2026_0514_091500_0001"),
                                                {QStringLiteral("front"), QStringLiteral("rear")});
        QVERIFY(!moment.isEmpty());
        QWidget window;
        auto *player = new MediaPlayView(&window);
        window.resize(640, 360);
        window.show();
        ChannelSet *set = player->channels();
        set->setMode(ChannelLayout::Mode::Grid);
        player->setChannels(moment.channel, moment.otherChannels);
        player->playFile(moment.fLocalPath);
        QTRY_COMPARE_WITH_TIMEOUT(set->tileCount(), 1, 20000);
        set->setOffset(QStringLiteral("rear"), 0.52);

        ClipExport::Places places;
        places.window = &window;
        places.player = player;
        places.current = [moment] { return moment; };
        places.listed = [moment] { return QList<MFileModel>{moment}; };
        ClipExport clips(places);
        clips.setRunner(std::make_shared<ClipExportEngine>());
        const QString output = card.filePath(QStringLiteral("both.mp4"));
        QString layoutShown;
        int channelsShown = -1;
        clips.setDialogHandler([&](ClipExportDialog &d) {
            layoutShown = d.layoutBox()->currentData().toString();
            channelsShown = d.channelBox()->currentIndex();
            d.chooseRange(ClipRequest::Range::Recording);
            d.kindBox()->setCurrentIndex(1);
            for (DashboardRenderer::Widget w : {DashboardRenderer::DateTime, DashboardRenderer::Position, DashboardRenderer::GSensor})
                d.widgetBox(w)->setChecked(false);
            d.evidenceBox()->setChecked(false);
            d.outputEdit()->setText(output);
            return true;
        });
        QSignalSpy finished(&clips, &ClipExport::exportFinished);
        QVERIFY(clips.exportInteractively());
        QVERIFY(finished.wait(120000));
        QVERIFY2(finished[0][0].toBool(), qPrintable(finished[0][1].toString()));
        QCOMPARE(layoutShown, QStringLiteral("grid"));
        QCOMPARE(channelsShown, 1);
        player->stopPlayVideo();

        const std::vector<DecodedPicture> pics = decodePictures(output.toStdString());
        QVERIFY(pics.size() > 60);
        auto cell = [&pics](int i, int x) {
            const DecodedPicture &p = pics[std::size_t(i)];
            return QImage(p.bgra.data(), p.width, p.height, p.width * 4, QImage::Format_RGB32).copy(x, 0, p.width / 2, p.height / 2);
        };
        for (int i : {0, 30, 60}) {
            QCOMPARE(syncFrameNumber(cell(i, 0)), i);
            QCOMPARE(syncFrameNumber(cell(i, pics[0].width / 2)), i + 15);
        }
    }
};

QTEST_MAIN(TestClipExport)
#include "tst_clipexport.moc"
