#include "app/clipexportjob.h"

#include <QFile>
#include <QMutex>
#include <QThread>
#include <atomic>

#include "evidence/evidencepackage.h"
#include "evidence/sourcehashes.h"

struct ClipExportJob::Shared {
    std::atomic<bool> cancel{false};
    std::atomic<double> progress{0.0};
    QMutex mutex;
    bool ok = false;
    QString message;
    QStringList files;
};

ClipExportJob::ClipExportJob(std::shared_ptr<ClipExportRunner> runner, ClipRequest request,
                             std::optional<EvidenceInput> evidence, QObject *parent)
    : QObject(parent), m_runner(std::move(runner)), m_request(std::move(request)), m_evidence(std::move(evidence)),
      m_shared(std::make_shared<Shared>())
{
    m_poll.setInterval(100);
    connect(&m_poll, &QTimer::timeout, this, [this] { emit progressed(progress()); });
}

ClipExportJob::~ClipExportJob()
{
    if (m_thread) {
        // Going with the window: the run is called off and waited for, so that nothing
        // it wrote outlives it half done.
        m_shared->cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

double ClipExportJob::progress() const { return m_shared->progress.load(); }

void ClipExportJob::cancel() { m_shared->cancel = true; }

void ClipExportJob::start()
{
    if (m_running || !m_runner)
        return;
    m_running = true;
    const std::shared_ptr<Shared> shared = m_shared;
    const std::shared_ptr<ClipExportRunner> runner = m_runner;
    const ClipRequest request = m_request;
    std::optional<EvidenceInput> evidence = m_evidence;
    if (!request.evidence)
        evidence.reset();
    m_thread = QThread::create([shared, runner, request, evidence]() mutable {
        auto cancelled = [shared] { return shared->cancel.load(); };
        // The sources are hashed on a second thread while the clip is cut, so the package
        // after it is little more than the report.
        std::unique_ptr<SourceHashes> sourceHashes;
        if (evidence) {
            QStringList sources;
            for (const EvidenceRecording &r : std::as_const(evidence->recordings))
                sources << r.path;
            sourceHashes = std::make_unique<SourceHashes>(sources + evidence->otherSources, cancelled);
        }
        const double clipShare = evidence ? 0.8 : 1.0;
        const ClipExportRunner::Result r =
            runner->run(request, [shared, clipShare](double f) { shared->progress = std::clamp(f, 0.0, 1.0) * clipShare; },
                        cancelled);
        bool ok = r.error.isEmpty() && !cancelled();
        QString message = cancelled() ? QStringLiteral("cancelled") : r.error;
        QStringList files = r.files.isEmpty() && ok ? QStringList{request.output} : r.files;
        if (ok && evidence) {
            evidence->clips = files;
            evidence->knownHashes = sourceHashes->take();
            evidence->knownHashes.insert(r.digests);
            evidence->cancelled = cancelled;
            evidence->progress = [shared, clipShare](double f) { shared->progress = clipShare + (1 - clipShare) * f; };
            QStringList written;
            ok = EvidencePackage::write(*evidence, &message, &written);
            if (ok)
                files += written;
        }
        if (!ok) {
            // A clip without the evidence asked for is not what was wanted: nothing stays.
            for (const QString &f : std::as_const(files))
                QFile::remove(f);
            files.clear();
            if (message.isEmpty())
                message = QStringLiteral("cancelled");
        }
        QMutexLocker lock(&shared->mutex);
        shared->ok = ok;
        shared->message = message;
        shared->files = files;
    });
    connect(m_thread, &QThread::finished, this, &ClipExportJob::done, Qt::QueuedConnection);
    m_poll.start();
    m_thread->start(QThread::LowPriority);
}

void ClipExportJob::done()
{
    m_poll.stop();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_running = false;
    bool ok;
    QString message;
    QStringList files;
    {
        QMutexLocker lock(&m_shared->mutex);
        ok = m_shared->ok;
        message = m_shared->message;
        files = m_shared->files;
    }
    if (ok)
        m_shared->progress = 1.0;
    emit progressed(progress());
    emit finished(ok, message, files);
}
