#include "app/cameradownloader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "cli/safefile.h"

namespace {

// The "first" of a Content-Range "bytes first-last/total" and its total (-1 when absent).
void contentRange(const QByteArray &header, qint64 *first, qint64 *total)
{
    *first = -1;
    *total = -1;
    const QByteArray h = header.trimmed();
    if (!h.startsWith("bytes "))
        return;
    const int dash = h.indexOf('-'), slash = h.indexOf('/');
    bool ok = false;
    if (dash > 6) {
        const qint64 v = h.mid(6, dash - 6).toLongLong(&ok);
        if (ok)
            *first = v;
    }
    if (slash > 0) {
        const qint64 v = h.mid(slash + 1).toLongLong(&ok);
        if (ok)
            *total = v;
    }
}

bool writeAll(int fd, const char *p, qint64 n, qint64 at)
{
    while (n > 0) {
        const ssize_t k = ::pwrite(fd, p, size_t(n), off_t(at));
        if (k < 0 && errno == EINTR)
            continue;
        if (k <= 0)
            return false;
        p += k;
        n -= k;
        at += k;
    }
    return true;
}

} // namespace

CameraDownloader::CameraDownloader(QObject *parent) : QObject(parent), m_manager(new QNetworkAccessManager(this)) {}

CameraDownloader::~CameraDownloader()
{
    cancel();
}

QString CameraDownloader::localPath(int index) const
{
    return index >= 0 && index < m_jobs.size() ? m_folder + QLatin1Char('/') + m_jobs[index].file.relative : QString();
}

bool CameraDownloader::start(const QString &folder, const QList<CameraDownload> &files, QString *why)
{
    if (m_running) {
        if (why)
            *why = QStringLiteral("a download is under way");
        return false;
    }
    std::string reason;
    SafeFolder root = SafeFolder::open(folder.toStdString(), true, &reason);
    if (!root.isOpen()) {
        if (why)
            *why = QString::fromStdString(reason);
        return false;
    }
    m_root = std::make_shared<SafeFolder>(std::move(root));
    m_folder = folder;
    m_jobs.clear();
    for (const CameraDownload &f : files) {
        Job job;
        job.file = f;
        job.total = f.size;
        m_jobs.append(job);
    }
    m_running = true;
    m_cancelled = false;
    m_ok = m_failed = 0;
    reportOverall();
    // Started from the event loop, so that a caller connects before the first report.
    QTimer::singleShot(0, this, &CameraDownloader::pump);
    return true;
}

void CameraDownloader::cancel()
{
    if (!m_running)
        return;
    m_cancelled = true;
    for (int i = 0; i < m_jobs.size(); ++i) {
        Job &job = m_jobs[i];
        if (job.reply) {
            QNetworkReply *reply = job.reply;
            job.reply = nullptr;
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
        }
        if (!job.finished && (job.active || job.fd >= 0))
            settle(i, QStringLiteral("cancelled"));
    }
    m_running = false;
    emit finished(m_ok, m_failed, true);
}

void CameraDownloader::reportOverall()
{
    qint64 done = 0, total = 0;
    for (const Job &j : m_jobs) {
        done += j.done;
        total += std::max(j.total, j.done);
    }
    emit overallProgress(done, total);
}

void CameraDownloader::pump()
{
    if (!m_running || m_cancelled)
        return;
    int active = 0;
    for (const Job &j : m_jobs)
        active += j.active ? 1 : 0;
    for (int i = 0; i < m_jobs.size() && active < kParallel; ++i) {
        if (!m_jobs[i].active && !m_jobs[i].finished) {
            ++active;
            begin(i);
        }
    }
    bool all = true;
    for (const Job &j : m_jobs)
        all = all && j.finished;
    if (all && m_running) {
        m_running = false;
        emit finished(m_ok, m_failed, false);
    }
}

void CameraDownloader::begin(int index)
{
    Job &job = m_jobs[index];
    job.active = true;
    const std::string relative = job.file.relative.toStdString();
    const std::size_t slash = relative.find_last_of('/');
    std::string why;
    SafeFolder dir = m_root->openBelow(slash == std::string::npos ? std::string() : relative.substr(0, slash), true, &why);
    if (!dir.isOpen()) {
        settle(index, QString::fromStdString(why));
        return;
    }
    job.dir = std::make_shared<SafeFolder>(std::move(dir));
    job.name = QString::fromStdString(slash == std::string::npos ? relative : relative.substr(slash + 1));
    const QByteArray name = job.name.toLocal8Bit();
    struct stat st{};
    if (::fstatat(job.dir->fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_size > 0 && (job.file.size == 0 || st.st_size == job.file.size)) {
        job.done = job.total = st.st_size;
        settle(index, {}); // already here whole
        return;
    }
    const QByteArray part = name + ".part";
    job.fd = ::openat(job.dir->fd(), part.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (job.fd < 0 || ::fstat(job.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        settle(index, QStringLiteral("cannot write %1.part: %2").arg(job.name, QString::fromLocal8Bit(strerror(errno))));
        return;
    }
    job.done = st.st_size;
    if (job.file.size > 0 && job.done > job.file.size) {
        (void)::ftruncate(job.fd, 0);
        job.done = 0;
    }
    if (job.file.size > 0 && job.done == job.file.size) {
        settle(index, {}); // the part is whole: only the rename was missing
        return;
    }
    request(index);
}

void CameraDownloader::request(int index)
{
    Job &job = m_jobs[index];
    QNetworkRequest request(job.file.url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(silenceMs);
    if (job.done > 0)
        request.setRawHeader("Range", "bytes=" + QByteArray::number(job.done) + "-");
    QNetworkReply *reply = m_manager->get(request);
    reply->setReadBufferSize(256 * 1024);
    job.reply = reply;
    auto fatal = std::make_shared<QString>(); // a wrong answer: no retry
    auto checked = std::make_shared<bool>(false);
    auto check = [this, index, reply, fatal, checked] {
        if (*checked)
            return;
        *checked = true;
        Job &j = m_jobs[index];
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        qint64 first = -1, total = -1;
        contentRange(reply->rawHeader("Content-Range"), &first, &total);
        if (status == 200) {
            // The whole file again: the part starts over.
            (void)::ftruncate(j.fd, 0);
            j.done = 0;
            total = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        } else if (status != 206 || first != j.done) {
            *fatal = status == 206 ? QStringLiteral("the camera sent another range than asked")
                                   : QStringLiteral("HTTP status %1").arg(status);
        }
        if (fatal->isEmpty() && total > 0 && j.file.size > 0 && total != j.file.size)
            *fatal = QStringLiteral("the camera serves %1 bytes but listed %2").arg(total).arg(j.file.size);
        if (fatal->isEmpty() && total > 0)
            j.total = total;
        if (!fatal->isEmpty())
            reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, check);
    connect(reply, &QNetworkReply::readyRead, this, [this, index, reply, fatal, check] {
        check();
        if (!fatal->isEmpty())
            return;
        Job &j = m_jobs[index];
        const QByteArray data = reply->readAll();
        if (j.total > 0 && j.done + data.size() > j.total) {
            *fatal = QStringLiteral("the camera sends more than the file's size");
            reply->abort();
            return;
        }
        if (!writeAll(j.fd, data.constData(), data.size(), j.done)) {
            *fatal = QStringLiteral("cannot write %1.part: %2").arg(j.name, QString::fromLocal8Bit(strerror(errno)));
            reply->abort();
            return;
        }
        j.done += data.size();
        emit fileProgress(index, j.done, j.total);
        reportOverall();
    });
    connect(reply, &QNetworkReply::finished, this, [this, index, reply, fatal] {
        Job &j = m_jobs[index];
        if (reply != j.reply)
            return;
        j.reply = nullptr;
        reply->deleteLater();
        if (!fatal->isEmpty()) {
            settle(index, *fatal);
            return;
        }
        // A connection closed before the promised length is a drop like any other.
        const qint64 expected = j.file.size > 0 ? j.file.size : j.total;
        const bool cut = reply->error() == QNetworkReply::NoError && expected > 0 && j.done < expected;
        if (reply->error() != QNetworkReply::NoError || cut) {
            // A drop or a silence: resume from where the part ends, a few times.
            if (++j.attempts <= retries && !m_cancelled) {
                QTimer::singleShot(retryDelayMs, this, [this, index] {
                    if (m_running && !m_cancelled && !m_jobs[index].finished)
                        this->request(index);
                });
                return;
            }
            settle(index, reply->error() == QNetworkReply::OperationCanceledError || cut
                              ? QStringLiteral("the camera stopped answering")
                              : reply->errorString());
            return;
        }
        settle(index, {});
    });
}

void CameraDownloader::settle(int index, const QString &givenError)
{
    Job &job = m_jobs[index];
    QString error = givenError;
    if (error.isEmpty() && job.fd >= 0) {
        const qint64 expected = job.file.size > 0 ? job.file.size : job.total;
        if (expected > 0 && job.done != expected) {
            error = QStringLiteral("%1 bytes arrived, the camera listed %2").arg(job.done).arg(expected);
            ::unlinkat(job.dir->fd(), (job.name.toLocal8Bit() + ".part").constData(), 0);
        } else if (::fsync(job.fd) != 0 ||
                   ::renameat(job.dir->fd(), (job.name.toLocal8Bit() + ".part").constData(), job.dir->fd(),
                              job.name.toLocal8Bit().constData()) != 0) {
            error = QStringLiteral("cannot finish %1: %2").arg(job.name, QString::fromLocal8Bit(strerror(errno)));
        }
    }
    if (job.fd >= 0)
        ::close(job.fd);
    job.fd = -1;
    job.active = false;
    job.finished = true;
    ++(error.isEmpty() ? m_ok : m_failed);
    emit fileProgress(index, job.done, job.total);
    emit fileFinished(index, error.isEmpty() ? localPath(index) : QString(), error);
    reportOverall();
    if (!m_cancelled)
        QTimer::singleShot(0, this, &CameraDownloader::pump);
}
