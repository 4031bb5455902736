#pragma once
// The clip export of the window: the In and Out marks (I, O and the Playback menu) shown on
// the progress slider, File -> Export Clip... (Ctrl+Shift+E) with its dialog, and the export
// itself with a progress bar and Cancel while the window stays usable. What reaches it from
// the player, the list and the trip is connected in app/composition.cpp; the runner that
// cuts and encodes is handed in with setRunner().
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <functional>
#include <memory>

#include "app/clipexportdialog.h"
#include "app/clipexportjob.h"
#include "app/clipexportrunner.h"
#include "core/mfilemodel.h"
#include "track/gpsitem.h"
#include "track/harshevents.h"

class ClipMarks;
class GpsMapView;
class MediaPlayView;
class QAction;
class QMenu;

class ClipExport : public QObject {
    Q_OBJECT
public:
    struct Places {
        QWidget *window = nullptr;       // owns the shortcuts; parent of the dialogs
        MediaPlayView *player = nullptr; // its controller tells the picture's time
        GpsMapView *map = nullptr;       // the tiles in memory, for the report's route
        std::function<MFileModel()> current;         // the recording on display (empty: none)
        std::function<QList<MFileModel>()> listed;   // the list's recordings, for their channels
        std::function<QStringList()> trip;           // the drive of the recording on display
        std::function<Track(const QString &)> track; // a recording's track, null when unknown
        std::function<std::vector<HarshEvent>()> events; // of the recording on display
        std::function<QString()> speedUnit;
        std::function<void(const QString &)> notify; // a short notice over the video
    };
    explicit ClipExport(const Places &places, QObject *parent = nullptr);
    ~ClipExport() override;

    ClipMarks *marks() const { return m_marks; }
    QAction *markInAction() const { return m_markIn; }
    QAction *markOutAction() const { return m_markOut; }
    QAction *clearMarksAction() const { return m_clearMarks; }
    QAction *exportAction() const { return m_export; }
    // Mark In, Mark Out and Clear Marks at the end of the menu.
    void fillPlaybackMenu(QMenu *menu) const;

    // Without a runner, Export Clip... says that this build cannot cut clips.
    void setRunner(std::shared_ptr<ClipExportRunner> runner) { m_runner = std::move(runner); }
    // Tests answer the dialog: called with it instead of exec(); it returns accepted or not.
    void setDialogHandler(std::function<bool(ClipExportDialog &)> handler) { m_dialogHandler = std::move(handler); }

    // The recording on display ("" when none) and the picture's time in it.
    QString currentRecording() const;
    double currentSeconds() const;
    ClipExportContext context() const;

    void markIn();
    void markOut();
    void clearMarks();
    // The dialog, then the export; false when nothing was started.
    bool exportInteractively();
    // Starts the export of request; false when another one runs or there is no runner.
    bool start(const ClipRequest &request);
    ClipExportJob *job() const { return m_job; }
    QProgressDialog *progressDialog() const { return m_progress; }
    // The slider shows the marks on the recording on display.
    void showMarks();
    void retitle();

signals:
    void exportFinished(bool ok, const QString &message);

private:
    std::optional<EvidenceInput> evidenceFor(const ClipRequest &request) const;
    // The window's channel offsets, and the runner's reading of lengths and joins.
    void fillChannelsAndRunner(ClipExportContext *context) const;
    void finished(bool ok, const QString &message, const QStringList &files);

    Places m_places;
    QPointer<QWidget> m_window;
    ClipMarks *m_marks = nullptr;
    QAction *m_markIn = nullptr, *m_markOut = nullptr, *m_clearMarks = nullptr, *m_export = nullptr;
    std::shared_ptr<ClipExportRunner> m_runner;
    std::function<bool(ClipExportDialog &)> m_dialogHandler;
    QPointer<ClipExportJob> m_job;
    QPointer<QProgressDialog> m_progress;
};
