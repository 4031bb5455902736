#pragma once
// Reads the frame number that tools/make-sync-clips.sh draws into every frame: 16 blocks
// across the top of a 320x180 picture hold its bits (white = 1, least significant first),
// the row below holds their complement. Scaled pictures read the same.
#include <QImage>

// -1 when the picture does not hold a clean number (half decoded, or another picture).
inline int syncFrameNumber(const QImage &img)
{
    if (img.width() < 32 || img.height() < 18)
        return -1;
    const double sx = img.width() / 320.0;
    const double sy = img.height() / 180.0;
    int n = 0;
    int c = 0;
    for (int i = 0; i < 16; ++i) {
        const int x = int((20 * i + 10) * sx);
        if (qGray(img.pixel(x, int(20 * sy))) > 128)
            n |= 1 << i;
        if (qGray(img.pixel(x, int(60 * sy))) > 128)
            c |= 1 << i;
    }
    return (n ^ c) == 0xFFFF ? n : -1;
}
