#include "playback/channellayout.h"

#include <QtMath>

namespace ChannelLayout {

namespace {
constexpr int kMargin = 8;
constexpr int kMinSmallWidth = 80;

QList<QRect> cells(const QRect &area, int columns, int rows, int count)
{
    QList<QRect> out;
    for (int i = 0; i < count; ++i) {
        const int c = i % columns, r = i / columns;
        // Edges from integer division of the whole span: the cells tile the area exactly.
        const int x0 = area.left() + area.width() * c / columns, x1 = area.left() + area.width() * (c + 1) / columns;
        const int y0 = area.top() + area.height() * r / rows, y1 = area.top() + area.height() * (r + 1) / rows;
        out << QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
    }
    return out;
}
} // namespace

QList<QRect> rects(Mode mode, Corner corner, const QRect &area, int count)
{
    if (area.isEmpty() || count < 1)
        return {};
    if (count == 1)
        return {area};
    if (mode == Mode::SideBySide)
        return cells(area, count, 1, count);
    if (mode == Mode::Grid) {
        const int columns = qCeil(std::sqrt(double(count)));
        return cells(area, columns, (count + columns - 1) / columns, count);
    }
    QList<QRect> out{area};
    // Small pictures a quarter of the width, 16:9, as many as fit in a column from the corner.
    const int w = qMin(area.width() - 2 * kMargin, qMax(kMinSmallWidth, area.width() / 4));
    const int h = qMax(1, w * 9 / 16);
    const bool left = corner == Corner::TopLeft || corner == Corner::BottomLeft;
    const bool top = corner == Corner::TopLeft || corner == Corner::TopRight;
    const int x = left ? area.left() + kMargin : area.right() + 1 - kMargin - w;
    for (int i = 1; i < count; ++i) {
        const int step = (i - 1) * (h + kMargin);
        const int y = top ? area.top() + kMargin + step : area.bottom() + 1 - kMargin - h - step;
        out << QRect(x, y, qMax(1, w), h);
    }
    return out;
}

Corner nearestCorner(const QRect &area, const QPoint &point)
{
    const bool left = point.x() < area.center().x();
    const bool top = point.y() < area.center().y();
    return top ? (left ? Corner::TopLeft : Corner::TopRight) : (left ? Corner::BottomLeft : Corner::BottomRight);
}

QString modeName(Mode mode)
{
    switch (mode) {
    case Mode::SideBySide: return QStringLiteral("side");
    case Mode::Grid: return QStringLiteral("grid");
    case Mode::PictureInPicture: break;
    }
    return QStringLiteral("pip");
}

Mode modeFromName(const QString &name)
{
    if (name == QLatin1String("side"))
        return Mode::SideBySide;
    if (name == QLatin1String("grid"))
        return Mode::Grid;
    return Mode::PictureInPicture;
}

QString cornerName(Corner corner)
{
    switch (corner) {
    case Corner::TopLeft: return QStringLiteral("topLeft");
    case Corner::BottomLeft: return QStringLiteral("bottomLeft");
    case Corner::BottomRight: return QStringLiteral("bottomRight");
    case Corner::TopRight: break;
    }
    return QStringLiteral("topRight");
}

Corner cornerFromName(const QString &name)
{
    if (name == QLatin1String("topLeft"))
        return Corner::TopLeft;
    if (name == QLatin1String("bottomLeft"))
        return Corner::BottomLeft;
    if (name == QLatin1String("bottomRight"))
        return Corner::BottomRight;
    return Corner::TopRight;
}

Mode nextMode(Mode mode)
{
    switch (mode) {
    case Mode::PictureInPicture: return Mode::SideBySide;
    case Mode::SideBySide: return Mode::Grid;
    case Mode::Grid: break;
    }
    return Mode::PictureInPicture;
}

} // namespace ChannelLayout
