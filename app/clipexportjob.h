#pragma once
// One clip export under way: the runner on a thread of its own, then the evidence package
// when asked for, with progress and Cancel for the window. The GUI thread only polls the
// progress and hears the end, so the window stays usable throughout. A cancel or a failure
// at any step leaves no file of the export behind: an evidence package that cannot be
// written takes its clip with it.
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

#include "app/clipexportrunner.h"
#include "evidence/evidenceinput.h"

class QThread;

class ClipExportJob : public QObject {
    Q_OBJECT
public:
    // evidence: the package's input without its clips (the runner's files are added).
    ClipExportJob(std::shared_ptr<ClipExportRunner> runner, ClipRequest request,
                  std::optional<EvidenceInput> evidence, QObject *parent = nullptr);
    ~ClipExportJob() override;

    void start();
    void cancel();
    bool isRunning() const { return m_running; }
    double progress() const;
    const ClipRequest &request() const { return m_request; }

signals:
    void progressed(double fraction);
    // ok: every file written (files: the clips, then the package's); else message says why.
    void finished(bool ok, const QString &message, const QStringList &files);

private:
    struct Shared;
    void done();

    std::shared_ptr<ClipExportRunner> m_runner;
    ClipRequest m_request;
    std::optional<EvidenceInput> m_evidence;
    std::shared_ptr<Shared> m_shared;
    QThread *m_thread = nullptr;
    QTimer m_poll;
    bool m_running = false;
};
