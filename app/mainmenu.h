#pragma once
// The menus: the application menu (About, Hide, Hide Others, Show All, Quit at positions
// 0, 2, 3, 4, 6 with separators between), the File menu (Open at 0, Open Folder at 1, Close
// at 2) and the Playback menu, titled in the chosen language and re-titled on every
// language change.
#include <QFileDialog>
#include <QObject>
#include <QMenuBar>
#include <QPointer>

class PlaybackActions;
class QAction;
class QMenu;
class QWidget;

class MainMenu : public QObject {
    Q_OBJECT
public:
    // The menu bar is created here; the window's title strip shows it. window is the
    // program's main window (minimised by Hide, parent of the Open dialog).
    explicit MainMenu(QWidget *window = nullptr, QObject *parent = nullptr);
    ~MainMenu() override;

    QMenuBar *menuBar() const { return m_menuBar; }
    QMenu *playerMenu() const { return m_playerMenu; }
    QMenu *fileMenu() const { return m_fileMenu; }
    QMenu *playbackMenu() const { return m_playbackMenu; }
    PlaybackActions *playbackActions() const { return m_playback; }
    void setMainWindow(QWidget *window);

    // Re-titles every item in the stored language.
    void setStringValue();
    void changeLanguage();
    // File -> Open: a dialog for recordings, several at once; confirming posts
    // "kPlayFile" with the chosen files' URLs.
    void openMenuItemAction();
    // File -> Open Folder: a folder dialog; confirming posts "kPlayFile" with the folder,
    // which the list walks for recordings.
    void openFolderMenuItemAction();
    // The name filter of the Open dialog.
    static QString openFileFilter();

    void showAbout();

private:
    QAction *itemAt(QMenu *menu, int position) const;
    // A window-modal open dialog whose confirmation posts "kPlayFile" with the chosen URLs;
    // the caller finishes setting it up and opens it.
    QFileDialog *openDialog(const QString &title, QFileDialog::FileMode mode);

    QPointer<QWidget> m_window;
    QPointer<QMenuBar> m_menuBar; // may end up owned by the window it is shown in
    QMenu *m_playerMenu = nullptr;
    QMenu *m_fileMenu = nullptr;
    QMenu *m_playbackMenu = nullptr;
    PlaybackActions *m_playback = nullptr;
};
