#pragma once
// The dashboard drawn without a window: any choice of the instruments composed into an
// image of any size and pixel ratio, laid out as a band (a row) or a panel (a column),
// and placed on a video frame at the bottom, the top, a corner or a side. The window's
// instruments draw through the same painters, so a snapshot or a clip shows what the
// window showed. Works in a plain QGuiApplication and on the offscreen platform.
//
// Cost: the pictures are rendered once per size and kept; a render draws the dials,
// the texts, the curves and the route of the whole track once. Call it when the second
// changes, not per video frame.
#include <QFlags>
#include <QImage>
#include <QRect>
#include <QSize>

#include "instruments/dashboardstate.h"

class QPainter;
class TileSource;

class DashboardRenderer {
public:
    enum Widget {
        SpeedReadout = 0x01, // the current speed, large ("42KMH")
        Dial = 0x02,         // the speed dial
        DateTime = 0x04,     // the sample's date and time
        Position = 0x08,     // latitude and longitude
        Compass = 0x10,
        GSensor = 0x20,      // curves of the whole track with the cursor
        Route = 0x40,        // the map with the route and the position
        ReadoutCards = 0x80, // the read-out strip: speed, position, top/average speed, distance
        AllWidgets = 0xff,
    };
    Q_DECLARE_FLAGS(Widgets, Widget)

    // Where compose() puts the dashboard on a frame.
    enum class Placement { BottomBand, TopBand, TopLeft, TopRight, BottomLeft, BottomRight, LeftPanel, RightPanel };

    explicit DashboardRenderer(Widgets widgets = Widgets(Dial | Compass | GSensor | Route | ReadoutCards),
                               Placement placement = Placement::BottomBand);

    void setWidgets(Widgets widgets) { m_widgets = widgets; }
    Widgets widgets() const { return m_widgets; }
    void setPlacement(Placement placement) { m_placement = placement; }
    Placement placement() const { return m_placement; }
    // The band's fraction of the frame's height (bands), width (panels) or both (corners).
    void setExtent(double fraction);
    double extent() const { return m_extent; }
    // A translucent backing behind the whole dashboard (transparent by default).
    void setBackdrop(const QColor &colour) { m_backdrop = colour; }
    // Tiles for the map, only those already in memory are drawn; not owned, may be null.
    void setTileSource(TileSource *source) { m_tiles = source; }

    // The dashboard alone: ARGB32 premultiplied, transparent where nothing is drawn,
    // `size` in device-independent pixels, the image size * dpr pixels. A row when the
    // size is wider than tall by half again, a column otherwise.
    QImage render(const DashboardState &state, QSize size, qreal dpr = 1.0) const;
    // The same into any painter (the box in its coordinates).
    void paint(QPainter &p, const QRectF &box, const DashboardState &state) const;
    // Where the dashboard goes on a frame of this size (device-independent pixels).
    QRect bandRect(QSize frame) const;
    // Paints the dashboard onto the frame at bandRect (the frame's own pixel ratio kept).
    void compose(QImage &frame, const DashboardState &state) const;

    // Where each chosen widget lies within `box` for this layout, in a fixed order.
    QList<QPair<Widget, QRectF>> layout(const QRectF &box) const;

private:
    Widgets m_widgets;
    Placement m_placement;
    double m_extent = 0.185;
    QColor m_backdrop = Qt::transparent;
    TileSource *m_tiles = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DashboardRenderer::Widgets)
