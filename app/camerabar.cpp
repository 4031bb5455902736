#include "app/camerabar.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "core/mlanguagemanager.h"

using L = MLanguageManager;

CameraBar::CameraBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("cameraBar"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(3);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("cameraStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status->setStyleSheet(QStringLiteral("color: rgb(200, 204, 208);"));
    grid->addWidget(m_status, 0, 0, 1, 4);
    auto button = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setFocusPolicy(Qt::NoFocus); // the playback keys stay the window's
        return b;
    };
    m_download = button("cameraDownloadButton");
    m_events = button("cameraEventsButton");
    m_locked = button("cameraLockedButton");
    m_disconnect = button("cameraDisconnectButton");
    m_cancel = button("cameraCancelButton");
    m_cancel->setEnabled(false);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("cameraProgress"));
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(8);
    // Two buttons a line: the list is narrow.
    grid->addWidget(m_download, 1, 0, 1, 2);
    grid->addWidget(m_disconnect, 1, 2, 1, 2);
    grid->addWidget(m_events, 2, 0, 1, 2);
    grid->addWidget(m_locked, 2, 2, 1, 2);
    grid->addWidget(m_progress, 3, 0, 1, 3);
    grid->addWidget(m_cancel, 3, 3);
    setProgress(-1);
    retitle();
    connect(m_download, &QPushButton::clicked, this, &CameraBar::downloadChecked);
    connect(m_events, &QPushButton::clicked, this, [this] { emit downloadKind(QStringLiteral("event")); });
    connect(m_locked, &QPushButton::clicked, this, [this] { emit downloadKind(QStringLiteral("locked")); });
    connect(m_cancel, &QPushButton::clicked, this, &CameraBar::cancelRequested);
    connect(m_disconnect, &QPushButton::clicked, this, &CameraBar::disconnectRequested);
}

void CameraBar::retitle()
{
    // Short words on the buttons, the whole command in their tips.
    m_download->setText(L::localized("Camera.bar.download", "Download"));
    m_download->setToolTip(L::localized("Camera.download", "Download Selected…"));
    m_events->setText(L::localized("Camera.bar.events", "All events"));
    m_events->setToolTip(L::localized("Camera.events", "Download All Events…"));
    m_locked->setText(L::localized("Camera.bar.locked", "All locked"));
    m_locked->setToolTip(L::localized("Camera.locked", "Download All Locked…"));
    m_cancel->setText(L::localized("Camera.cancel", "Cancel"));
    m_disconnect->setText(L::localized("Camera.disconnect", "Disconnect"));
}

void CameraBar::setStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setToolTip(text.toHtmlEscaped());
}

QString CameraBar::status() const
{
    return m_status->text();
}

void CameraBar::setProgress(int permille)
{
    m_progress->setVisible(permille >= 0);
    m_cancel->setVisible(permille >= 0);
    m_cancel->setEnabled(permille >= 0 && permille < 1000);
    if (permille >= 0)
        m_progress->setValue(permille);
}
