// Reading a recording: a local file through a read-ahead window, or the caller's read callback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The recording being scanned. With read mode 0 it owns the open local file; with mode 1
// every read goes through the parser's read callback and no file is opened.
class KalGpsFile {
public:
    KalGpsFile() = default;
    ~KalGpsFile();
    KalGpsFile(const KalGpsFile&) = delete;
    KalGpsFile& operator=(const KalGpsFile&) = delete;

    // Opens a local file for reading; false when it cannot be opened or is not a regular
    // file or block device (a FIFO, socket or terminal is refused without waiting).
    bool open(const char* path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Positioned read of a local file: clears length bytes of buffer, copies what the file
    // holds there and returns the count (0 on failure or past the end).
    int64_t read(void* buffer, int64_t offset, uint32_t length);
    int64_t length();

    // Tells the kernel which regions the decode is about to read, so that on a cold cache it
    // fetches them together (one queue of requests the disk can order) instead of one seek
    // per read. Regions are sorted into file order and neighbours closer than a read-ahead
    // window are merged. Turns the kernel's own read-ahead off for the file: the scattered
    // reads that follow would otherwise each pull in a window of bytes nobody asked for.
    // Nothing is announced when the regions are found in the page cache already.
    struct Region {
        int64_t offset;
        int64_t length;
    };
    void announce(std::vector<Region> regions);

    // Read system calls issued by every local file so far (for tests and measurements).
    static uint64_t systemReads();
    // Ranges handed to the kernel by announce() so far, after merging.
    static uint64_t announcedRanges();

private:
    int64_t fetch(unsigned char* dst, int64_t offset, uint32_t length);
    int64_t readDirect(unsigned char* dst, int64_t offset, size_t length);
    bool fill(int64_t offset, size_t length);
    bool fromKept(unsigned char* dst, int64_t offset, uint32_t length);
    bool covered(int64_t offset, int64_t length) const;
    bool inPageCache(int64_t offset) const;

    int fd_ = -1;
    int64_t size_ = -1;
    // Read-ahead window: small for scattered reads (atom headers, table entries), growing
    // while the reads run forward through the file (transport-stream packets).
    unsigned char* cache_ = nullptr;
    size_t cacheCap_ = 0;
    int64_t cacheOffset_ = 0;
    size_t cacheLength_ = 0;
    size_t window_ = 0;
    // Small windows of scattered reads, kept for the decode: the second pass over the atoms
    // reads the same headers and regions again, and then costs no system call.
    struct Kept {
        int64_t offset;
        size_t at;      // first byte in keptBytes_
        size_t length;
    };
    const Kept* keptHolding(int64_t offset, int64_t length) const;
    std::vector<Kept> kept_;               // ordered by offset
    std::vector<unsigned char> keptBytes_;
};

// Length of the recording: the local file's size (mode 0), the callback's answer (mode 1),
// 0 otherwise.
int64_t GetFileLength(KalGpsFile* file);

// A cancelled decode reads nothing more (kalGpsCancel); process-wide like the rest.
void kalGpsSetCancelled(bool cancelled);
bool kalGpsCancelled();

// Reads up to length bytes at offset into buffer (which is cleared first); returns the count,
// 0 when the read failed or the decode was cancelled. Never more than length, never negative.
int64_t ReadData(void* buffer, int64_t offset, uint32_t length, KalGpsFile* file);
