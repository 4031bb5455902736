#pragma once
// Start-up: stores the speed unit default, builds the window, its controller and the
// menus, and opens the files the program was started with as if they had been dropped.
#include <QObject>
#include <QStringList>
#include <memory>

class MainMenu;
class PlaybackCommands;
class OvraWindowPlayController;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching(const QStringList &files = {});
    void applicationWillTerminate() {}
    // Another start of the program (the nearest thing to a click on a dock icon here):
    // brings the window back when it is minimised or hidden; answers true either way.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // Files from another start: the window comes forward and they are opened.
    void openFiles(const QStringList &files);

    OvraWindowPlayController *windowVC() const { return m_windowVC.get(); }
    MainMenu *mainMenu() const { return m_mainMenu.get(); }
    PlaybackCommands *playbackCommands() const { return m_commands; }

private:
    std::unique_ptr<MainMenu> m_mainMenu;
    std::unique_ptr<OvraWindowPlayController> m_windowVC;
    PlaybackCommands *m_commands = nullptr; // the window controller's
};
