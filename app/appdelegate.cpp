#include "app/appdelegate.h"
#include "core/logging.h"

#include <QDebug>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "app/mainmenu.h"
#include "core/notificationhub.h"
#include "app/ovrawindowplaycontroller.h"
#include "core/preferences.h"
#include "app/titlestrip.h"

Q_LOGGING_CATEGORY(lcApp, "trava.app")

AppDelegate::AppDelegate(QObject *parent) : QObject(parent) {}

AppDelegate::~AppDelegate()
{
    // The window holds the menu bar; the menus go first so the bar is not deleted twice.
    m_mainMenu.reset();
    m_windowVC.reset();
}

void AppDelegate::applicationDidFinishLaunching(const QStringList &files)
{
    qCDebug(lcApp) << "applicationDidFinishLaunching";
    Preferences::registerSpeedUnitDefault();

    m_mainMenu = std::make_unique<MainMenu>();
    m_windowVC = std::make_unique<OvraWindowPlayController>(OvraWindowPlayController::createWindow());
    m_mainMenu->setMainWindow(m_windowVC->window());
    m_windowVC->titleStrip()->setMenuBar(m_mainMenu->menuBar());

    if (!files.isEmpty()) {
        // After the event loop runs, so every view that listens for files is in place.
        QTimer::singleShot(0, this, [this, files] { openFiles(files); });
    }
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (!hasVisibleWindows && m_windowVC)
        m_windowVC->bringToFront();
    return true;
}

void AppDelegate::openFiles(const QStringList &files)
{
    if (m_windowVC) {
        QWidget *w = m_windowVC->window();
        applicationShouldHandleReopen(w->isVisible() && !w->isMinimized());
        m_windowVC->bringToFront();
    }
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(f);
    if (!urls.isEmpty())
        NotificationHub::defaultCenter()->post(QString::fromLatin1(kPlayFile), QVariant::fromValue(urls));
}
