#pragma once
// An overlay picture held the way it is blended: its colours turned into the video's Y, U
// and V once, premultiplied by their coverage, so that laying it over a frame costs one
// multiply-add per covered sample and nothing where it is transparent.
#include <cstdint>
#include <vector>

#include "clip/clipexport.h"

struct AVFrame;

namespace clip {

class YuvOverlay {
public:
    enum class Matrix { Bt601, Bt709 };
    // Converts overlay for frames of the given size; fullRange for 0-255 luma (JPEG range).
    void set(const Overlay &overlay, int frameWidth, int frameHeight, Matrix matrix, bool fullRange);
    // Blends into a writable 8-bit 4:2:0 planar frame of that size.
    void blend(AVFrame *frame) const;
    bool empty() const { return m_w <= 0 || m_h <= 0; }

private:
    int m_x = 0, m_y = 0, m_w = 0, m_h = 0; // luma rectangle on the frame, even-aligned
    std::vector<std::uint8_t> m_y8, m_a8;   // premultiplied luma and its coverage
    std::vector<std::uint8_t> m_u8, m_v8, m_ca8; // premultiplied chroma, chroma coverage
};

} // namespace clip
