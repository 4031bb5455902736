#pragma once
// The clip's file while it is written: a new file of an unpredictable hidden name in the
// target folder (created exclusively, never through a link), reached by libavformat through
// its own I/O context, renamed to the final name only when everything is written and
// removed otherwise. Write errors (a full disk) are kept, so that they are reported as
// what they are rather than as a muxer's failure.
#include <cstdint>
#include <string>

struct AVIOContext;

namespace clip {

class TempOutput {
public:
    TempOutput() = default;
    ~TempOutput(); // removes the temporary file unless commit() succeeded
    TempOutput(const TempOutput &) = delete;
    TempOutput &operator=(const TempOutput &) = delete;

    // Creates the temporary file beside `path`; false with why when the folder cannot be written.
    bool create(const std::string &path, std::string *why);
    AVIOContext *io() const { return m_io; }
    // The first write or seek error met, 0 when none.
    int error() const { return m_error; }
    // Flushes, syncs, closes and renames to the final name; false with why on failure (the
    // temporary file is then gone). With sha256, the written bytes are hashed into it (lower-case
    // hex) while the disk catches up, so a caller that needs the digest pays for one of the two.
    bool commit(std::string *why, std::string *sha256 = nullptr);
    // Gives up: the temporary file is removed.
    void discard();

private:
    static int writePacket(void *opaque, std::uint8_t *buf, int size);
    static std::int64_t seek(void *opaque, std::int64_t offset, int whence);
    void closeIo();

    int m_dir = -1, m_fd = -1;
    std::string m_tempName, m_finalName, m_path;
    AVIOContext *m_io = nullptr;
    int m_error = 0;
    bool m_committed = false;
};

} // namespace clip
