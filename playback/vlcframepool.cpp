#include "playback/vlcframepool.h"

#include <cstdlib>

namespace {
constexpr size_t kKeptBuffers = 4;
}

VlcFramePool::~VlcFramePool()
{
    for (uchar *b : m_free)
        std::free(b);
}

void VlcFramePool::configure(int width, int height, int pitch)
{
    std::lock_guard lock(m_mutex);
    for (uchar *b : m_free)
        std::free(b);
    m_free.clear();
    m_width = width;
    m_height = height;
    m_pitch = pitch;
    ++m_geometry;
}

VlcFramePool::Slot VlcFramePool::take()
{
    std::lock_guard lock(m_mutex);
    Slot s{nullptr, m_geometry, m_width, m_height, m_pitch};
    if (!m_free.empty()) {
        s.data = m_free.back();
        m_free.pop_back();
    } else {
        const size_t bytes = size_t(m_pitch) * size_t(m_height);
        s.data = static_cast<uchar *>(std::aligned_alloc(64, (bytes + 63) / 64 * 64));
    }
    return s;
}

void VlcFramePool::give(const Slot &s)
{
    std::lock_guard lock(m_mutex);
    if (s.geometry == m_geometry && m_free.size() < kKeptBuffers)
        m_free.push_back(s.data);
    else
        std::free(s.data);
}
