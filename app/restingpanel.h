#pragma once
// The look of a dashboard panel before its instrument is attached: the dial pictures at
// rest, an empty G-sensor chart, an offline map grid, the video placeholder with an idle
// control bar. It only paints; it takes no input, so drops and clicks reach the panel.
#include <QWidget>

class RestingPanel : public QWidget {
    Q_OBJECT
public:
    enum Kind { Video, Speed, Compass, GSensor, Map, List };
    explicit RestingPanel(Kind kind, QWidget *parent = nullptr);
    Kind kind() const { return m_kind; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintVideo(class QPainter &p);
    void paintDial(QPainter &p, bool compass);
    void paintGSensor(QPainter &p);
    void paintMap(QPainter &p);
    void paintList(QPainter &p);

    Kind m_kind;
};
