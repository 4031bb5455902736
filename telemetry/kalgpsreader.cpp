#include "telemetry/kalgpsreader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "telemetry/kalgpsstate.h"

namespace {
constexpr size_t kMinWindow = 512;
// Most bytes of scattered windows kept per open file.
constexpr size_t kKeptMax = 8u << 20;
constexpr size_t kMaxWindow = 4u << 20;
// Reads at least this long bypass the window and land in the caller's buffer directly.
constexpr size_t kDirectRead = 256u << 10;
// Regions closer than this are announced as one range: the gap costs less than a seek.
constexpr int64_t kMergeGap = 64 << 10;
std::atomic<uint64_t> readCalls{0};
std::atomic<uint64_t> announced{0};
}

uint64_t KalGpsFile::systemReads()
{
    return readCalls.load();
}

uint64_t KalGpsFile::announcedRanges()
{
    return announced.load();
}

bool KalGpsFile::inPageCache(int64_t offset) const
{
#ifdef RWF_NOWAIT
    // A one-byte read that refuses to wait for the disk succeeds only from the page cache.
    unsigned char byte;
    iovec v{&byte, 1};
    return preadv2(fd_, &v, 1, static_cast<off_t>(offset), RWF_NOWAIT) == 1;
#else
    (void)offset;
    return false;
#endif
}

void KalGpsFile::announce(std::vector<Region> regions)
{
    if (fd_ < 0 || regions.empty())
        return;
    std::sort(regions.begin(), regions.end(), [](const Region& a, const Region& b) { return a.offset < b.offset; });
    // A file read a moment ago is still in memory: announcing it would cost a call per region
    // and fetch nothing. The first, middle and last regions stand for the rest.
    if (inPageCache(regions.front().offset) && inPageCache(regions[regions.size() / 2].offset)
        && inPageCache(regions.back().offset))
        return;
    // A region is read through a window of at least kMinWindow bytes.
    int64_t from = -1, to = -1;
    auto flush = [&] {
        if (from < 0)
            return;
        announced.fetch_add(1, std::memory_order_relaxed);
        posix_fadvise(fd_, static_cast<off_t>(from), static_cast<off_t>(to - from), POSIX_FADV_WILLNEED);
    };
    posix_fadvise(fd_, 0, 0, POSIX_FADV_RANDOM);
    for (const Region& r : regions) {
        if (r.offset < 0 || r.length <= 0)
            continue;
        // Already in memory from an earlier pass: nothing to fetch.
        if (r.length <= int64_t(kMinWindow) && covered(r.offset, r.length))
            continue;
        int64_t end = r.offset + std::max<int64_t>(r.length, int64_t(kMinWindow));
        if (from >= 0 && r.offset <= to + kMergeGap) {
            to = std::max(to, end);
            continue;
        }
        flush();
        from = r.offset;
        to = end;
    }
    flush();
}

KalGpsFile::~KalGpsFile()
{
    close();
}

bool KalGpsFile::open(const char* path)
{
    close();
    if (!path)
        return false;
    // Non-blocking first: opening a FIFO named like a recording would otherwise wait for a
    // writer forever, and with it every decode queued behind this one. Only regular files
    // are read (a block device may hold a card's image); then reads may block again.
    fd_ = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (fstat(fd_, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) {
        close();
        return false;
    }
    const int flags = fcntl(fd_, F_GETFL);
    if (flags < 0 || fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close();
        return false;
    }
    return true;
}

void KalGpsFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = -1;
    std::free(cache_);
    cache_ = nullptr;
    cacheCap_ = cacheLength_ = window_ = 0;
    cacheOffset_ = 0;
    kept_.clear();
    keptBytes_.clear();
}

int64_t KalGpsFile::length()
{
    if (fd_ < 0)
        return 0;
    off_t end = lseek(fd_, 0, SEEK_END);
    if (end < 0)
        return 0;
    lseek(fd_, 0, SEEK_SET);
    if (end != size_) {
        // The file changed under us; what the window holds may be stale.
        cacheLength_ = 0;
        kept_.clear();
        keptBytes_.clear();
        size_ = end;
    }
    return end;
}

int64_t KalGpsFile::readDirect(unsigned char* dst, int64_t offset, size_t length)
{
    size_t done = 0;
    while (done < length) {
        readCalls.fetch_add(1, std::memory_order_relaxed);
        ssize_t n = pread(fd_, dst + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

bool KalGpsFile::fill(int64_t offset, size_t length)
{
    bool forward = cacheLength_ > 0 && offset >= cacheOffset_ &&
                   offset <= cacheOffset_ + static_cast<int64_t>(cacheLength_ + window_);
    window_ = forward ? std::min(window_ * 2, kMaxWindow) : kMinWindow;
    size_t want = std::max(window_, length);
    if (want > cacheCap_) {
        auto* grown = static_cast<unsigned char*>(std::realloc(cache_, want));
        if (!grown)
            return false;
        cache_ = grown;
        cacheCap_ = want;
    }
    cacheOffset_ = offset;
    cacheLength_ = static_cast<size_t>(readDirect(cache_, offset, want));
    // What a later pass asks for again lies close to the start of the read: an atom's header
    // fields or the region itself. Keeping only that much keeps the store small.
    size_t keep = std::min(cacheLength_, std::max<size_t>(length, 64));
    if (!forward && keep > 0 && keptBytes_.size() + keep <= kKeptMax) {
        Kept k{offset, keptBytes_.size(), keep};
        keptBytes_.insert(keptBytes_.end(), cache_, cache_ + keep);
        // Tables list their regions in file order, so this is nearly always an append.
        auto pos = kept_.end();
        if (!kept_.empty() && kept_.back().offset > offset)
            pos = std::upper_bound(kept_.begin(), kept_.end(), offset,
                                   [](int64_t o, const Kept& e) { return o < e.offset; });
        kept_.insert(pos, k);
    }
    return true;
}

const KalGpsFile::Kept* KalGpsFile::keptHolding(int64_t offset, int64_t length) const
{
    auto it = std::upper_bound(kept_.begin(), kept_.end(), offset,
                               [](int64_t o, const Kept& e) { return o < e.offset; });
    if (it == kept_.begin())
        return nullptr;
    --it;
    if (offset + length > it->offset + int64_t(it->length))
        return nullptr;
    return &*it;
}

bool KalGpsFile::covered(int64_t offset, int64_t length) const
{
    return keptHolding(offset, length) != nullptr;
}

bool KalGpsFile::fromKept(unsigned char* dst, int64_t offset, uint32_t length)
{
    const Kept* it = keptHolding(offset, length);
    if (!it)
        return false;
    std::memcpy(dst, keptBytes_.data() + it->at + size_t(offset - it->offset), length);
    return true;
}

int64_t KalGpsFile::read(void* buffer, int64_t offset, uint32_t length)
{
    if (!buffer || length == 0)
        return 0;
    auto* dst = static_cast<unsigned char*>(buffer);
    int64_t n = fetch(dst, offset, length);
    // What the file did not fill reads as zero; cleared after the copy so that a long region
    // is not written twice.
    std::memset(dst + n, 0, length - size_t(n));
    return n;
}

int64_t KalGpsFile::fetch(unsigned char* dst, int64_t offset, uint32_t length)
{
    if (fd_ < 0 || offset < 0)
        return 0;
    if (length >= kDirectRead)
        return readDirect(dst, offset, length);
    int64_t end = offset + length;
    bool hit = cacheLength_ > 0 && offset >= cacheOffset_ &&
               end <= cacheOffset_ + static_cast<int64_t>(cacheLength_);
    if (!hit && fromKept(dst, offset, length))
        return length;
    if (!hit) {
        if (!fill(offset, length))
            return readDirect(dst, offset, length);
    }
    int64_t from = offset - cacheOffset_;
    int64_t avail = static_cast<int64_t>(cacheLength_) - from;
    if (avail <= 0)
        return 0;
    size_t n = static_cast<size_t>(std::min<int64_t>(avail, length));
    std::memcpy(dst, cache_ + from, n);
    return static_cast<int64_t>(n);
}

int64_t GetFileLength(KalGpsFile* file)
{
    const KalGpsState& st = kalGpsState();
    if (st.fType == 0)
        return file ? file->length() : 0;
    if (st.fType == 1 && st.readcb) {
        int64_t n = st.readcb(nullptr, 0, 0, 0);
        return n > 0 ? n : 0;
    }
    return 0;
}

namespace {
std::atomic<bool> cancelFlag{false};
} // namespace

void kalGpsSetCancelled(bool cancelled) { cancelFlag.store(cancelled); }
bool kalGpsCancelled() { return cancelFlag.load(); }

int64_t ReadData(void* buffer, int64_t offset, uint32_t length, KalGpsFile* file)
{
    if (cancelFlag.load(std::memory_order_relaxed)) {
        if (buffer && length)
            std::memset(buffer, 0, length);
        return 0;
    }
    const KalGpsState& st = kalGpsState();
    if (st.fType == 0)
        return file ? file->read(buffer, offset, length) : 0;
    if (!buffer || length == 0 || offset < 0)
        return 0;
    // Cleared here too: the decoders look at the whole buffer even after a short read.
    std::memset(buffer, 0, length);
    if (st.fType != 1 || !st.readcb)
        return 0;
    int64_t n = st.readcb(buffer, static_cast<uint64_t>(offset), length, 1);
    if (n <= 0)
        return 0;
    // A callback that claims more than it was asked for does not widen the buffer.
    return n > static_cast<int64_t>(length) ? length : n;
}
