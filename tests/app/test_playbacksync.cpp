#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include "core/mediaplayerdelegate.h"
#include "core/mlanguagemanager.h"
#include "app/playbacksync.h"
#include "core/preferences.h"
#include "support/testsettings.h"

namespace {
// Every call lands in one shared journal so the order across objects is visible.
struct Journal {
    QStringList calls;
};

struct FakeInstrument : Instrument {
    QString name;
    Journal *journal;
    Track track;
    QList<double> ticks;
    FakeInstrument(QString n, Journal *j) : name(std::move(n)), journal(j) {}
    void setGpsData(const Track &t) override
    {
        track = t;
        journal->calls << name + ".setGpsData(" + QString::number(trackSize(t)) + ")";
    }
    void setCurrentPlayerTime(double s) override
    {
        ticks << s;
        journal->calls << name + ".tick";
    }
};

const QStringList kLines{
    "0 2026/05/14 08:15:00 N:48.160076 E:11.585832 51.4 km/h x:-0.03 y:0.02 z:9.84;",
    "1 2026/05/14 08:15:01 N:48.159950 E:11.585798 51.2 km/h x:-0.08 y:-0.01 z:9.78;",
    "1 2026/05/14 08:15:01 N:48.159950 E:11.585798 51.2 km/h x:-0.08 y:-0.01 z:9.78;",
    "2 2026/05/14 08:15:02 N:48.159824 E:11.585764 100.0 km/h x:-0.04 y:0.02 z:9.86;",
};
} // namespace

class TestPlaybackSync : public QObject {
    Q_OBJECT

    Journal m_journal;
    std::unique_ptr<FakeInstrument> m_map, m_speed, m_compass, m_state;
    std::unique_ptr<PlaybackSync> m_sync;
    QList<std::function<void(const QStringList &)>> m_pending;
    QStringList m_requested;
    QList<quint64> m_tickets, m_cancelled;
    int m_next = 0;

    QString L(const char *k) { return MLanguageManager::DPLocalizedString(k); }

private slots:
    void initTestCase()
    {
        isolateSettings();
        QSettings().setValue(kSelectLanguage, "en");
    }

    void init()
    {
        QSettings().remove(kSpeedUnitType);
        m_journal = Journal();
        m_pending.clear();
        m_requested.clear();
        m_tickets.clear();
        m_cancelled.clear();
        m_next = 0;
        m_map = std::make_unique<FakeInstrument>("map", &m_journal);
        m_speed = std::make_unique<FakeInstrument>("speed", &m_journal);
        m_compass = std::make_unique<FakeInstrument>("compass", &m_journal);
        m_state = std::make_unique<FakeInstrument>("state", &m_journal);
        m_sync = std::make_unique<PlaybackSync>();
        auto reset = [this](const char *n) { return [this, n] { m_journal.calls << QString(n) + ".reset"; }; };
        m_sync->setGauges({{m_map.get(), reset("map")}, {m_speed.get(), reset("speed")},
                           {m_compass.get(), reset("compass")}, {m_state.get(), reset("state")}});
        PlaybackSync *sync = m_sync.get();
        connect(sync, &PlaybackSync::stopRequested, sync, [this] { m_journal.calls << "player.stop"; });
        connect(sync, &PlaybackSync::playRequested, sync,
                [this](const QString &p) { m_journal.calls << "player.play(" + p + ")"; });
        connect(sync, &PlaybackSync::telemetryRequested, sync, [this, sync](quint64 ticket, const QString &path) {
            m_journal.calls << "extract(" + path + ")";
            m_requested << path;
            m_tickets << ticket;
            m_pending << [sync, ticket](const QStringList &lines) { sync->telemetryArrived(ticket, lines); };
        });
        connect(sync, &PlaybackSync::nextRequested, sync, [this] { ++m_next; });
        connect(sync, &PlaybackSync::telemetryCancelled, sync, [this](quint64 ticket) {
            m_journal.calls << "cancel";
            m_cancelled << ticket;
        });
    }

    void selectionRoadRunsInOrder()
    {
        QSignalSpy titles(m_sync.get(), &PlaybackSync::titleChanged);
        m_sync->mediaPlayerDidSelectModel(MFileModel("a.mp4", "/v/a.mp4"));
        QCOMPARE(titles.size(), 1);
        QCOMPARE(titles[0][0].toString(), QString("a.mp4"));
        QCOMPARE(m_journal.calls, (QStringList{"player.stop", "extract(/v/a.mp4)"}));
        m_journal.calls.clear();
        m_pending.takeFirst()(kLines);
        // Repeated line dropped: three samples, every instrument before playback.
        QCOMPARE(m_journal.calls, (QStringList{"map.setGpsData(3)", "speed.setGpsData(3)", "compass.setGpsData(3)",
                                               "state.setGpsData(3)", "player.play(/v/a.mp4)"}));
        QCOMPARE(m_sync->topSpeedText(), L("TopSpeed") + ":100.0KMH");
        QVERIFY(m_sync->trackComplete());
        QCOMPARE(m_sync->aveSpeedText(), L("AveSpeed") + QString(":%1KMH").arg((51.4 + 51.2 + 100.0) / 3, 0, 'f', 1));
    }

    void latestSelectionWins()
    {
        m_sync->mediaPlayerDidSelectModel(MFileModel("a.mp4", "/v/a.mp4"));
        m_sync->mediaPlayerDidSelectModel(MFileModel("b.mp4", "/v/b.mp4"));
        // The superseded extraction is cancelled before the new one is asked for.
        QCOMPARE(m_journal.calls, (QStringList{"player.stop", "extract(/v/a.mp4)", "player.stop", "cancel",
                                               "extract(/v/b.mp4)"}));
        // Only the superseded request is called off.
        QCOMPARE(m_cancelled, QList<quint64>{m_tickets[0]});
        QVERIFY(m_tickets[1] != m_tickets[0]);
        m_journal.calls.clear();
        m_pending.takeFirst()(kLines);  // the older answer arrives: ignored
        QVERIFY(m_journal.calls.isEmpty());
        m_pending.takeFirst()({});      // no telemetry: still plays, empty statistics
        QCOMPARE(m_journal.calls.last(), QString("player.play(/v/b.mp4)"));
        QCOMPARE(m_sync->topSpeedText(), L("TopSpeed") + ":0.0KMH");
        QCOMPARE(m_sync->title(), QString("b.mp4"));
    }

    void removalCancelsThePendingExtraction()
    {
        // Removing the recording whose telemetry is still being read: it never starts.
        m_sync->mediaPlayerDidSelectModel(MFileModel("a.mp4", "/v/a.mp4"));
        m_journal.calls.clear();
        m_sync->mediaPlayerDidDeleteModel(MFileModel("a.mp4", "/v/a.mp4"), true);
        QCOMPARE(m_journal.calls, (QStringList{"cancel", "player.stop"}));
        m_journal.calls.clear();
        m_pending.takeFirst()(kLines);
        QVERIFY(m_journal.calls.isEmpty());

        // Removing another recording leaves the pending one alone.
        m_sync->mediaPlayerDidSelectModel(MFileModel("b.mp4", "/v/b.mp4"));
        m_journal.calls.clear();
        m_sync->mediaPlayerDidDeleteModel(MFileModel("c.mp4", "/v/c.mp4"), false);
        QVERIFY(m_journal.calls.isEmpty());
        m_pending.takeFirst()(kLines);
        QCOMPARE(m_journal.calls.last(), QString("player.play(/v/b.mp4)"));

        // Once the track arrived nothing is pending: a new selection or a removal cancels
        // nothing, and removing the playing recording stops it.
        m_journal.calls.clear();
        m_sync->mediaPlayerDidDeleteModel(MFileModel("b.mp4", "/v/b.mp4"), true);
        QCOMPARE(m_journal.calls, QStringList{"player.stop"});
        m_journal.calls.clear();
        m_sync->mediaPlayerDidSelectModel(MFileModel("d.mp4", "/v/d.mp4"));
        QVERIFY(!m_journal.calls.contains("cancel"));
    }

    void ticksReachInstrumentsAndReadouts()
    {
        m_sync->clearGpsInfo();
        QCOMPARE(m_sync->speedText(), QString("---KMH"));
        QCOMPARE(QSettings().value(kSpeedUnitType).toString(), QString("KMH"));  // stored when missing
        m_sync->mediaPlayerDidSelectModel(MFileModel("a.mp4", "/v/a.mp4"));
        m_pending.takeFirst()(kLines);
        m_journal.calls.clear();
        m_sync->mediaPlayerCurrentTime(1.3);
        QCOMPARE(m_journal.calls, (QStringList{"map.tick", "speed.tick", "compass.tick", "state.tick"}));
        QCOMPARE(m_sync->speedText(), QString("51KMH"));
        QCOMPARE(m_sync->latText(), L("Lat") + ":48.159950");
        QCOMPARE(m_sync->lonText(), L("Lon") + ":11.585798");
        QCOMPARE(m_sync->distanceText(), L("Distance") + ":0.00KM");
        m_sync->speedUnitChange(1);
        QCOMPARE(m_sync->speedText(), QString("---MPH"));
        QCOMPARE(Preferences::speedUnitType(), QString("MPH"));
        m_sync->mediaPlayerCurrentTime(2.0);
        QCOMPARE(m_sync->speedText(), QString("62MPH"));
        // About 14 m between the two Munich samples, by the geodesic distance.
        QVERIFY(m_sync->stats().totalDistance() > 13.0 && m_sync->stats().totalDistance() < 16.0);
        m_sync->speedUnitChange(0);
        QCOMPARE(Preferences::speedUnitType(), QString("KMH"));
    }

    void resetOnStopFinishErrorAndAutoplayAfterFinish()
    {
        m_sync->mediaPlayerDidSelectModel(MFileModel("a.mp4", "/v/a.mp4"));
        m_pending.takeFirst()(kLines);
        m_sync->mediaPlayerCurrentTime(1.0);
        for (quint64 s : {quint64(MediaPlayStatePlaying), quint64(MediaPlayStatePaused)}) {
            m_journal.calls.clear();
            m_sync->mediaPlayerCurrentState(s);
            QVERIFY(m_journal.calls.isEmpty());
            QCOMPARE(m_sync->speedText(), QString("51KMH"));
        }
        for (quint64 s : {quint64(MediaPlayStateError), quint64(MediaPlayStateStopped)}) {
            m_journal.calls.clear();
            QSignalSpy halted(m_sync.get(), &PlaybackSync::halted);
            connect(m_sync.get(), &PlaybackSync::halted, this, [this] { m_journal.calls << "halted"; });
            m_sync->mediaPlayerCurrentState(s);
            disconnect(m_sync.get(), &PlaybackSync::halted, this, nullptr);
            QCOMPARE(halted.size(), 1);
            QCOMPARE(halted[0][0].value<quint64>(), s);
            QCOMPARE(m_journal.calls.takeLast(), QString("halted")); // after every reset
            QCOMPARE(m_journal.calls, (QStringList{"map.reset", "speed.reset", "compass.reset", "state.reset"}));
            QCOMPARE(m_sync->speedText(), QString("---KMH"));
            QCOMPARE(m_sync->latText(), L("Lat") + ":---");
            QCOMPARE(m_sync->topSpeedText(), L("TopSpeed") + ":---");
        }
        // A tick queued before the stop leaves the cleared read-outs alone until playing again.
        m_sync->mediaPlayerCurrentTime(2.0);
        QCOMPARE(m_sync->speedText(), QString("---KMH"));
        m_sync->mediaPlayerCurrentState(MediaPlayStatePlaying);
        m_sync->mediaPlayerCurrentTime(2.0);
        QCOMPARE(m_sync->speedText(), QString("100KMH"));
        QTest::qWait(150);
        QCOMPARE(m_next, 0);
        // Finished twice within 100 ms: two steps forward, each about 100 ms later.
        m_sync->mediaPlayerCurrentState(MediaPlayStateFinished);
        m_sync->mediaPlayerCurrentState(MediaPlayStateFinished);
        QCOMPARE(m_next, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_next, 2, 1000);
    }

    void geodesicDistance()
    {
        // One degree of latitude is about 111 km on the surface.
        const double d = PlaybackSync::distanceByStartLatStartLonEndLatEndLon(0, 0, 1, 0);
        QVERIFY(d > 110000 && d < 112000);
        QCOMPARE(PlaybackSync::distanceByStartLatStartLonEndLatEndLon(95, 0, 1, 0), 0.0);
        QCOMPARE(PlaybackSync::removeRepeatedLines({"a", "b", "a", "c", "b"}), (QStringList{"a", "b", "c"}));
    }
};

QTEST_MAIN(TestPlaybackSync)
#include "test_playbacksync.moc"
