#include "app/appdelegate.h"
#include "core/logging.h"

#include <QDebug>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "app/composition.h"
#include "app/mainmenu.h"
#include "app/ovraplayvc.h"
#include "app/ovrawindowplaycontroller.h"
#include "core/notificationhub.h"
#include "core/preferences.h"
#include "library/medialistview.h"

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
    qCInfo(lcApp, "applicationDidFinishLaunching");
    Preferences::registerSpeedUnitDefault();

    m_mainMenu = std::make_unique<MainMenu>();
    m_windowVC = std::make_unique<OvraWindowPlayController>(OvraWindowPlayController::createWindow());
    m_commands = wireWindow(m_mainMenu.get(), m_windowVC.get());

    OvraPlayVC *vc = m_windowVC->playerVC();
    // The list as the last run left it: its current row highlighted, nothing playing.
    if (MediaListView *list = vc->mediaList())
        list->restoreCurrent(Preferences::lastRecording());
    // Keys work from the first second, whatever widget would take the focus first.
    m_windowVC->window()->setFocus();

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
