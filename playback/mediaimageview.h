#pragma once
// The picture over the video area while nothing plays, and the drop target for recordings.
// Only names ending exactly in .mp4/.MP4/.mov/.MOV/.ts/.TS are taken; they go to the delegate
// in the order they were dragged.
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

class MediaPlayerDelegate;
class QMimeData;

class MediaImageView : public QWidget {
    Q_OBJECT
public:
    explicit MediaImageView(QWidget *parent = nullptr);

    void setDelegate(MediaPlayerDelegate *delegate) { m_delegate = delegate; }
    MediaPlayerDelegate *delegate() const { return m_delegate; }

    // The named picture, scaled up or down to fit with its proportions kept; an empty name
    // shows nothing (the video underneath shows through).
    void setImageName(const QString &name);
    QString imageName() const { return m_imageName; }

    // Copy when any dragged path is taken, otherwise none.
    Qt::DropAction draggingEntered(const QMimeData *mime) const;
    // Hands the taken paths, in drag order (possibly none), to the delegate; always true.
    bool performDragOperation(const QMimeData *mime);

    static bool isAcceptedPath(const QString &path);
    // An accepted recording, or a folder (of recordings, the receiver finds out).
    static bool isAcceptedDrop(const QString &path);
    static QStringList acceptedPaths(const QStringList &paths);
    // What a window zooming to its standard size should take: the frame of our parent.
    QRect standardFrame() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    MediaPlayerDelegate *m_delegate = nullptr;
    QString m_imageName;
};
