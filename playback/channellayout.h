#pragma once
// Where the pictures of a recording's channels go in the video area: the big one and the
// small ones of a picture-in-picture corner, side by side, or a grid (2x2 for up to four).
#include <QList>
#include <QRect>
#include <QString>

namespace ChannelLayout {

enum class Mode { PictureInPicture, SideBySide, Grid };
enum class Corner { TopLeft, TopRight, BottomLeft, BottomRight };

// The rectangles of count pictures in area: the first is the big one (in picture-in-picture
// the whole area, the others stacked from corner over it), then the rest in order. An empty
// area or a count below 1 gives nothing.
QList<QRect> rects(Mode mode, Corner corner, const QRect &area, int count);

// The corner of area nearest to point.
Corner nearestCorner(const QRect &area, const QPoint &point);

// Settings words ("pip", "side", "grid"; "topLeft" ...), and back (unknown words: picture-in-picture,
// top right).
QString modeName(Mode mode);
Mode modeFromName(const QString &name);
QString cornerName(Corner corner);
Corner cornerFromName(const QString &name);
Mode nextMode(Mode mode);

} // namespace ChannelLayout
