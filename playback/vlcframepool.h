#pragma once
// Buffers libVLC decodes RV32 pictures into. The geometry may change several times per file
// (libVLC probes formats before it settles), so each buffer remembers the geometry it was made
// for; buffers of an older geometry are freed instead of reused. Used from libVLC's threads
// (take) and the GUI thread (give, when the last picture sharing a buffer goes away).
#include <QtGlobal>

#include <mutex>
#include <vector>

class VlcFramePool {
public:
    VlcFramePool() = default;
    VlcFramePool(const VlcFramePool &) = delete;
    VlcFramePool &operator=(const VlcFramePool &) = delete;
    ~VlcFramePool();

    // Pitch in bytes; buffers handed out from now on have this geometry.
    void configure(int width, int height, int pitch);

    struct Slot {
        uchar *data = nullptr;
        int geometry = 0;
        int width = 0;
        int height = 0;
        int pitch = 0;
    };

    // A free buffer of the current geometry, or a new one (64-byte aligned).
    Slot take();
    // Back to the pool (a few are kept), or freed when its geometry is out of date.
    void give(const Slot &slot);

private:
    std::mutex m_mutex;
    std::vector<uchar *> m_free;
    int m_width = 0;
    int m_height = 0;
    int m_pitch = 0;
    int m_geometry = 0;
};
