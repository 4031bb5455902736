#include "app/playerextraction.h"

#include <QHash>
#include <QPointer>
#include <memory>

#include "app/playbacksync.h"
#include "playback/extractionprogressview.h"
#include "service/kalgpstool.h"

void connectPlayerExtraction(PlaybackSync *sync, ExtractionProgressView *overlay)
{
    // The sync's tickets and the service's handles of the player's requests still open.
    auto handles = std::make_shared<QHash<quint64, KalGpsTool::Handle>>();
    QObject::connect(sync, &PlaybackSync::telemetryRequested, sync,
                     [sync = QPointer<PlaybackSync>(sync), overlay = QPointer<ExtractionProgressView>(overlay),
                      handles](quint64 ticket, const QString &path) {
        const int token = overlay ? overlay->start(path) : 0;
        const KalGpsTool::Handle handle = KalGpsTool::shareTool()->request(
            path, ExtractionPriority::Player, [sync, overlay, handles, ticket, token](const Extraction &result) {
                handles->remove(ticket);
                if (overlay)
                    overlay->finish(token);
                if (sync)
                    sync->telemetryArrived(ticket, result.lines, result.status == ExtractionStatus::Complete);
            });
        handles->insert(ticket, handle);
    });
    QObject::connect(sync, &PlaybackSync::telemetryCancelled, sync, [handles](quint64 ticket) {
        if (const auto it = handles->constFind(ticket); it != handles->constEnd())
            KalGpsTool::shareTool()->cancel(*it);
    });
}
