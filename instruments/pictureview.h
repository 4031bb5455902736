#pragma once
// A named picture scaled to fit the view (aspect kept, centred), optionally turned
// about its centre. A missing picture draws nothing. The rendered picture is cached
// per size, so turning or repainting never re-renders the SVG.
#include <QPixmap>
#include <QString>
#include <QWidget>

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(const QString &imageName = {}, QWidget *parent = nullptr);

    void setImageName(const QString &name);
    QString imageName() const { return m_name; }
    bool hasPicture() const;

    // Radians; a positive value turns the picture clockwise on screen.
    void setRotation(double radians);
    double rotation() const { return m_rotation; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    const QPixmap &pixmap();

    QString m_name;
    double m_rotation = 0.0;
    QPixmap m_cache;
    QSize m_cacheSize;
    qreal m_cacheDpr = 0;
    bool m_cacheValid = false;
};
