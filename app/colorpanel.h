#pragma once
// A plain view that paints its own background colour and optional border, the way the
// dashboard's cards are coloured in code (channels 0-255, alpha 1).
#include <QColor>
#include <QWidget>

class ColorPanel : public QWidget {
    Q_OBJECT
public:
    explicit ColorPanel(const QString &name, const QColor &background, QWidget *parent = nullptr);

    QColor backgroundColor() const { return m_background; }
    void setBorder(const QColor &c, int width);
    QColor borderColor() const { return m_border; }
    int borderWidth() const { return m_borderWidth; }
    void setCornerRadius(qreal r);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_background;
    QColor m_border;
    int m_borderWidth = 0;
    qreal m_radius = 0;
};
