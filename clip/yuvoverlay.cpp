#include "clip/yuvoverlay.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/frame.h>
}

namespace clip {

namespace {
struct Coefficients {
    double yr, yg, yb, ur, ug, ub, vr, vg, vb, yOffset;
};

Coefficients coefficients(YuvOverlay::Matrix m, bool full)
{
    // Rows of the RGB to Y'CbCr matrices, scaled for 8-bit limited or full range.
    const double kr = m == YuvOverlay::Matrix::Bt709 ? 0.2126 : 0.299;
    const double kb = m == YuvOverlay::Matrix::Bt709 ? 0.0722 : 0.114;
    const double kg = 1.0 - kr - kb;
    const double ys = full ? 1.0 : 219.0 / 255.0, cs = full ? 1.0 : 224.0 / 255.0;
    return {kr * ys,
            kg * ys,
            kb * ys,
            -0.5 * kr / (1 - kb) * cs,
            -0.5 * kg / (1 - kb) * cs,
            0.5 * cs,
            0.5 * cs,
            -0.5 * kg / (1 - kr) * cs,
            -0.5 * kb / (1 - kr) * cs,
            full ? 0.0 : 16.0};
}

std::uint8_t clamp8(double v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

// dst * (255 - a) / 255 + premultiplied, rounded.
inline std::uint8_t over(std::uint8_t dst, std::uint8_t premul, std::uint8_t a)
{
    const unsigned t = unsigned(dst) * (255u - a) + 128u;
    const unsigned v = ((t + (t >> 8)) >> 8) + premul;
    return std::uint8_t(v > 255 ? 255 : v);
}
} // namespace

void YuvOverlay::set(const Overlay &o, int frameWidth, int frameHeight, Matrix matrix, bool fullRange)
{
    m_w = m_h = 0;
    if (o.width <= 0 || o.height <= 0 || o.stride < o.width * 4 ||
        o.pixels.size() < std::size_t(o.stride) * std::size_t(o.height - 1) + std::size_t(o.width) * 4)
        return;
    // The covered rectangle on the frame, widened to even edges for the chroma grid.
    const int x0 = std::max(0, o.x) & ~1, y0 = std::max(0, o.y) & ~1;
    const int x1 = std::min(frameWidth, o.x + o.width), y1 = std::min(frameHeight, o.y + o.height);
    if (x1 <= x0 || y1 <= y0)
        return;
    m_x = x0;
    m_y = y0;
    m_w = ((x1 - x0) + 1) & ~1;
    m_h = ((y1 - y0) + 1) & ~1;
    m_w = std::min(m_w, frameWidth - x0);
    m_h = std::min(m_h, frameHeight - y0);
    const Coefficients c = coefficients(matrix, fullRange);
    const std::size_t n = std::size_t(m_w) * std::size_t(m_h);
    m_y8.assign(n, 0);
    m_a8.assign(n, 0);
    const int cw = (m_w + 1) / 2, ch = (m_h + 1) / 2;
    std::vector<double> sr(std::size_t(cw) * ch), sg(sr.size()), sb(sr.size()), sa(sr.size());
    std::vector<int> count(sr.size(), 0);
    for (int y = 0; y < m_h; ++y) {
        for (int x = 0; x < m_w; ++x) {
            const int ox = m_x + x - o.x, oy = m_y + y - o.y;
            const std::size_t ci = std::size_t(y / 2) * std::size_t(cw) + std::size_t(x / 2);
            ++count[ci];
            if (ox < 0 || oy < 0 || ox >= o.width || oy >= o.height)
                continue;
            const std::uint8_t *p = o.pixels.data() + std::size_t(oy) * std::size_t(o.stride) + std::size_t(ox) * 4;
            const double b = p[0], g = p[1], r = p[2], a = p[3];
            if (a == 0)
                continue;
            const std::size_t i = std::size_t(y) * std::size_t(m_w) + std::size_t(x);
            m_a8[i] = std::uint8_t(a);
            m_y8[i] = clamp8(c.yOffset * a / 255.0 + c.yr * r + c.yg * g + c.yb * b);
            sr[ci] += r;
            sg[ci] += g;
            sb[ci] += b;
            sa[ci] += a;
        }
    }
    m_u8.assign(sr.size(), 0);
    m_v8.assign(sr.size(), 0);
    m_ca8.assign(sr.size(), 0);
    for (std::size_t i = 0; i < sr.size(); ++i) {
        if (count[i] == 0 || sa[i] == 0)
            continue;
        const double k = 1.0 / count[i];
        const double r = sr[i] * k, g = sg[i] * k, b = sb[i] * k, a = sa[i] * k;
        m_ca8[i] = clamp8(a);
        m_u8[i] = clamp8(128.0 * a / 255.0 + c.ur * r + c.ug * g + c.ub * b);
        m_v8[i] = clamp8(128.0 * a / 255.0 + c.vr * r + c.vg * g + c.vb * b);
    }
}

void YuvOverlay::blend(AVFrame *frame) const
{
    if (empty() || !frame)
        return;
    for (int y = 0; y < m_h; ++y) {
        std::uint8_t *row = frame->data[0] + std::ptrdiff_t(m_y + y) * frame->linesize[0] + m_x;
        const std::uint8_t *py = m_y8.data() + std::size_t(y) * std::size_t(m_w);
        const std::uint8_t *pa = m_a8.data() + std::size_t(y) * std::size_t(m_w);
        for (int x = 0; x < m_w; ++x)
            if (pa[x])
                row[x] = over(row[x], py[x], pa[x]);
    }
    const int cw = (m_w + 1) / 2, ch = (m_h + 1) / 2;
    for (int y = 0; y < ch; ++y) {
        std::uint8_t *u = frame->data[1] + std::ptrdiff_t(m_y / 2 + y) * frame->linesize[1] + m_x / 2;
        std::uint8_t *v = frame->data[2] + std::ptrdiff_t(m_y / 2 + y) * frame->linesize[2] + m_x / 2;
        const std::size_t base = std::size_t(y) * std::size_t(cw);
        for (int x = 0; x < cw; ++x) {
            const std::uint8_t a = m_ca8[base + std::size_t(x)];
            if (!a)
                continue;
            u[x] = over(u[x], m_u8[base + std::size_t(x)], a);
            v[x] = over(v[x], m_v8[base + std::size_t(x)], a);
        }
    }
}

} // namespace clip
