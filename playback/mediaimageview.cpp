#include "playback/mediaimageview.h"

#include "core/imagenamed.h"
#include "core/mediaplayerdelegate.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace {
QStringList pathsOf(const QMimeData *mime)
{
    QStringList paths;
    if (!mime)
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}
} // namespace

MediaImageView::MediaImageView(QWidget *parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
}

void MediaImageView::setImageName(const QString &name)
{
    if (name == m_imageName)
        return;
    m_imageName = name;
    update();
}

bool MediaImageView::isAcceptedPath(const QString &path)
{
    static const char *const endings[] = {".mp4", ".MP4", ".mov", ".MOV", ".ts", ".TS"};
    for (const char *e : endings) {
        if (path.endsWith(QLatin1String(e), Qt::CaseSensitive))
            return true;
    }
    return false;
}

bool MediaImageView::isAcceptedDrop(const QString &path)
{
    // A folder stands for the recordings inside it; the receiver looks for them.
    return isAcceptedPath(path) || QFileInfo(path).isDir();
}

QStringList MediaImageView::acceptedPaths(const QStringList &paths)
{
    QStringList kept;
    for (const QString &p : paths) {
        if (isAcceptedDrop(p))
            kept << p;
    }
    return kept;
}

QRect MediaImageView::standardFrame() const
{
    return parentWidget() ? parentWidget()->geometry() : QRect(0, 0, 0, 0);
}

void MediaImageView::paintEvent(QPaintEvent *)
{
    if (m_imageName.isEmpty())
        return;
    const QSize natural = imageNaturalSize(m_imageName);
    if (!natural.isValid() || natural.isEmpty())
        return;
    const QSize fitted = natural.scaled(size(), Qt::KeepAspectRatio);
    if (fitted.isEmpty())
        return;
    const QPixmap pm = pixmapNamed(m_imageName, fitted, devicePixelRatioF());
    QPainter p(this);
    p.drawPixmap(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), pm);
}

Qt::DropAction MediaImageView::draggingEntered(const QMimeData *mime) const
{
    const QStringList paths = pathsOf(mime);
    return std::any_of(paths.begin(), paths.end(), &MediaImageView::isAcceptedDrop) ? Qt::CopyAction
                                                                                     : Qt::IgnoreAction;
}

bool MediaImageView::performDragOperation(const QMimeData *mime)
{
    const QStringList kept = acceptedPaths(pathsOf(mime));
    if (m_delegate)
        m_delegate->mediaPlayerReadFileList(this, kept);
    // The drop counts as performed even when nothing in it was taken.
    return true;
}

void MediaImageView::dragEnterEvent(QDragEnterEvent *event)
{
    if (draggingEntered(event->mimeData()) == Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void MediaImageView::dragMoveEvent(QDragMoveEvent *event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MediaImageView::dropEvent(QDropEvent *event)
{
    if (performDragOperation(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}
