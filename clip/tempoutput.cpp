#include "clip/tempoutput.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>
#include <thread>

#include "clip/filehash.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace clip {

namespace {
std::string randomSuffix()
{
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[10];
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != ssize_t(sizeof bytes)) {
        std::random_device device;
        for (unsigned char &b : bytes)
            b = static_cast<unsigned char>(device());
    }
    std::string out;
    for (unsigned char b : bytes)
        out += kAlphabet[b % (sizeof kAlphabet - 1)];
    return out;
}

constexpr int kBufferSize = 1 << 20;
} // namespace

TempOutput::~TempOutput() { discard(); }

bool TempOutput::create(const std::string &path, std::string *why)
{
    m_path = path;
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    m_finalName = slash == std::string::npos ? path : path.substr(slash + 1);
    if (m_finalName.empty() || m_finalName == "." || m_finalName == "..") {
        *why = "not a file name: " + path;
        return false;
    }
    m_dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dir < 0) {
        *why = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_tempName = "." + m_finalName.substr(0, 160) + "." + randomSuffix() + ".part";
        m_fd = openat(m_dir, m_tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        *why = "cannot write " + path + ": " + std::strerror(errno);
        m_tempName.clear();
        return false;
    }
    auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferSize));
    m_io = buffer ? avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &TempOutput::writePacket, &TempOutput::seek)
                  : nullptr;
    if (!m_io) {
        av_free(buffer);
        *why = "out of memory";
        discard();
        return false;
    }
    return true;
}

int TempOutput::writePacket(void *opaque, std::uint8_t *buf, int size)
{
    auto *self = static_cast<TempOutput *>(opaque);
    int left = size;
    while (left > 0) {
        const ssize_t n = ::write(self->m_fd, buf, std::size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = AVERROR(n < 0 ? errno : ENOSPC);
            if (!self->m_error)
                self->m_error = code;
            return code;
        }
        buf += n;
        left -= int(n);
    }
    return size;
}

std::int64_t TempOutput::seek(void *opaque, std::int64_t offset, int whence)
{
    auto *self = static_cast<TempOutput *>(opaque);
    if (whence == AVSEEK_SIZE) {
        struct stat st {};
        return fstat(self->m_fd, &st) == 0 ? std::int64_t(st.st_size) : AVERROR(errno);
    }
    const off_t at = lseek(self->m_fd, off_t(offset), whence & ~AVSEEK_FORCE);
    if (at < 0) {
        const int code = AVERROR(errno);
        if (!self->m_error)
            self->m_error = code;
        return code;
    }
    return at;
}

void TempOutput::closeIo()
{
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

bool TempOutput::commit(std::string *why, std::string *sha256)
{
    if (!m_io || m_fd < 0) {
        *why = "nothing written";
        return false;
    }
    avio_flush(m_io);
    if (!m_error && m_io->error < 0)
        m_error = m_io->error;
    closeIo();
    int error = m_error ? m_error : 0;
    if (!error && sha256) {
        // The bytes are all in the page cache by now: reading them back costs less than
        // the sync, and the two go on side by side.
        int synced = 0;
        auto syncFile = [this, &synced] { synced = fsync(m_fd) == 0 ? 0 : AVERROR(errno); };
        std::thread sync;
        try {
            sync = std::thread(syncFile);
        } catch (const std::system_error &) {
            syncFile(); // no thread to be had: one after the other
        }
        std::string hashError;
        *sha256 = sha256OfDescriptor(m_fd, {}, &hashError);
        if (sync.joinable())
            sync.join();
        error = synced;
        if (!error && sha256->empty()) {
            *why = "cannot read back " + m_path + ": " + hashError;
            discard();
            return false;
        }
    } else if (!error && fsync(m_fd) != 0) {
        error = AVERROR(errno);
    }
    if (::close(m_fd) != 0 && !error)
        error = AVERROR(errno);
    m_fd = -1;
    if (!error && renameat(m_dir, m_tempName.c_str(), m_dir, m_finalName.c_str()) != 0)
        error = AVERROR(errno);
    if (error) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(error, text, sizeof text);
        *why = "cannot write " + m_path + ": " + text;
        discard();
        return false;
    }
    m_committed = true;
    m_tempName.clear();
    ::close(m_dir);
    m_dir = -1;
    return true;
}

void TempOutput::discard()
{
    closeIo();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_dir >= 0) {
        if (!m_committed && !m_tempName.empty())
            unlinkat(m_dir, m_tempName.c_str(), 0);
        ::close(m_dir);
        m_dir = -1;
    }
    m_tempName.clear();
}

} // namespace clip
