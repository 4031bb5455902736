// A camera's card opened through the real window, offscreen: a card made by tools/make-card.py
// (front+rear moments, telemetry in the front file) is added as a folder, as a drop or
// "trava-player DIR" adds it. Measures, from the moment it is offered:
//   list     the list shows one row per moment, each with its channels and kind
//   events   every moment's telemetry read and its harsh events counted
//   trip     the trip of the moment that starts playing is known (when it finishes in time)
// and, over the whole run (until 1.5 s after both are known), the longest time the window's
// event loop did not turn (a 2 ms timer that notes how late it fires).
//
// Usage: card_bench CARD_DIR MOMENTS [TIMEOUT_S]
// Last line: card: list_s=.. events_s=.. trip_s=.. max_block_ms=..
#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <cstdio>

#include "app/cardtelemetry.h"
#include "app/incidenttools.h"
#include "app/ovraplayvc.h"
#include "app/ovrawindowplaycontroller.h"
#include "app/tripcontroller.h"
#include "library/medialistmodel.h"
#include "library/medialistview.h"

namespace {
// Names every event that holds the loop for more than 30 ms on stderr (nested ones first,
// as they end first), so that a long block points at its cause.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        QElapsedTimer t;
        t.start();
        const int type = int(event->type());
        ++m_depth;
        const bool result = QApplication::notify(receiver, event);
        --m_depth;
        if (const qint64 ms = t.elapsed(); ms > 30 && QThread::currentThread() == thread())
            std::fprintf(stderr, "slow event: %lld ms ending at %.3f s: depth=%d type=%d receiver=%s(%s)\n",
                         static_cast<long long>(ms), since.elapsed() / 1000.0, m_depth, type, receiver->metaObject()->className(), qPrintable(receiver->objectName()));
        return result;
    }

    QElapsedTimer since; // started with the card offered

private:
    int m_depth = 0;
};
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: card_bench CARD_DIR MOMENTS [TIMEOUT_S]\n");
        return 2;
    }
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("TravaBench"));
    QCoreApplication::setApplicationName(QStringLiteral("card_bench-%1").arg(QCoreApplication::applicationPid()));
    QSettings().clear();
    const QString card = QString::fromLocal8Bit(argv[1]);
    const int moments = QString::fromLatin1(argv[2]).toInt();
    const int timeoutMs = (argc > 3 ? QString::fromLatin1(argv[3]).toInt() : 60) * 1000;

    OvraWindowPlayController controller(OvraWindowPlayController::createWindow());
    controller.window()->show();
    OvraPlayVC *vc = controller.playerVC();
    MediaListView *list = vc->mediaList();
    auto *telemetry = list->findChild<CardTelemetry *>(QStringLiteral("cardTelemetry"));
    TripController *trips = vc->incidentTools()->trip();
    QApplication::processEvents();

    QElapsedTimer clock;
    qint64 listMs = -1, eventsMs = -1, tripMs = -1, doneMs = -1, maxBlock = 0, maxBlockAt = 0, last = 0;
    QTimer beat;
    beat.setInterval(2);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (now - last - 2 > maxBlock) {
            maxBlock = now - last - 2;
            maxBlockAt = now;
        }
        last = now;
        const QList<MFileModel> &rows = list->dataArray();
        if (listMs < 0 && rows.size() >= moments) {
            bool complete = true;
            for (const MFileModel &m : rows)
                complete = complete && !m.kind.isEmpty() && !m.channel.isEmpty();
            if (complete)
                listMs = now;
        }
        if (listMs >= 0 && eventsMs < 0 && telemetry && telemetry->pending() == 0) {
            bool all = true;
            for (int r = 0; r < rows.size() && all; ++r)
                all = list->model()->eventCount(r) >= 0;
            if (all)
                eventsMs = now;
        }
        if (listMs >= 0 && tripMs < 0 && trips && !trips->searching() && trips->tripPaths().size() > 1)
            tripMs = now;
        // A second and a half more: what the trip set going (the map's projection, paints)
        // counts towards the longest block too.
        if (eventsMs >= 0 && tripMs >= 0 && doneMs < 0)
            doneMs = now;
        if ((doneMs >= 0 && now > doneMs + 1500) || now > timeoutMs)
            app.quit();
    });
    clock.start();
    app.since.start();
    beat.start();
    list->addRecordings({card});
    app.exec();

    auto secs = [](qint64 ms) { return ms < 0 ? QStringLiteral("timeout") : QString::number(ms / 1000.0, 'f', 3); };
    std::printf("rows=%lld trip_parts=%lld longest_block_ended_at_s=%.3f\n",
                static_cast<long long>(list->dataArray().size()),
                static_cast<long long>(trips ? trips->tripPaths().size() : 0), maxBlockAt / 1000.0);
    std::printf("card: list_s=%s events_s=%s trip_s=%s max_block_ms=%lld\n", qPrintable(secs(listMs)),
                qPrintable(secs(eventsMs)), qPrintable(secs(tripMs)), static_cast<long long>(maxBlock));
    return listMs < 0 ? 1 : 0;
}
