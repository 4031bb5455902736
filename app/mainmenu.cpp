#include "app/mainmenu.h"
#include "core/logging.h"

#include <QApplication>
#include <QDebug>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>

#include "app/playbackactions.h"
#include "core/imagenamed.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include "core/notificationhub.h"

namespace {
using L = MLanguageManager;
// Texts with a "%@" take the program name in its place.
QString withName(const char *key) { return L::localized(key).replace(QLatin1String("%@"), MTool::currentBundleName()); }
} // namespace

MainMenu::MainMenu(QWidget *window, QObject *parent) : QObject(parent), m_window(window)
{
    m_menuBar = new QMenuBar;
    m_menuBar->setObjectName(QStringLiteral("mainMenuBar"));
    m_menuBar->setNativeMenuBar(false);

    m_playerMenu = m_menuBar->addMenu(MTool::currentBundleName());
    m_playerMenu->setObjectName(QStringLiteral("playerMenu"));
    QAction *about = m_playerMenu->addAction(QString());                // 0
    m_playerMenu->addSeparator();                                       // 1
    QAction *hide = m_playerMenu->addAction(QString());                 // 2
    QAction *hideOthers = m_playerMenu->addAction(QString());           // 3
    QAction *showAll = m_playerMenu->addAction(QString());              // 4
    m_playerMenu->addSeparator();                                       // 5
    QAction *quit = m_playerMenu->addAction(QString());                 // 6
    about->setMenuRole(QAction::NoRole);
    quit->setMenuRole(QAction::NoRole);
    hide->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    quit->setShortcut(QKeySequence::Quit);
    // There are no other windows of ours to hide, and a desktop of many window managers
    // offers no "hide the others" to ask for: the item stays, disabled.
    hideOthers->setEnabled(false);
    connect(about, &QAction::triggered, this, &MainMenu::showAbout);
    connect(hide, &QAction::triggered, this, [this] {
        if (m_window)
            m_window->showMinimized();
    });
    connect(showAll, &QAction::triggered, this, [this] {
        if (!m_window)
            return;
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    });
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    m_fileMenu = m_menuBar->addMenu(QString());
    m_fileMenu->setObjectName(QStringLiteral("fileMenu"));
    QAction *open = m_fileMenu->addAction(QString());                   // 0
    QAction *openFolder = m_fileMenu->addAction(QString());             // 1
    QAction *close = m_fileMenu->addAction(QString());                  // 2
    open->setShortcut(QKeySequence::Open);
    openFolder->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    connect(openFolder, &QAction::triggered, this, &MainMenu::openFolderMenuItemAction);
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(open, &QAction::triggered, this, &MainMenu::openMenuItemAction);
    connect(close, &QAction::triggered, this, [this] {
        // Closing the only window ends the program, as its close button does.
        if (m_window)
            m_window->close();
        else
            QCoreApplication::quit();
    });

    m_playbackMenu = m_menuBar->addMenu(QString());
    m_playbackMenu->setObjectName(QStringLiteral("playbackMenu"));
    m_playback = new PlaybackActions(this);
    m_playback->fillMenu(m_playbackMenu);

    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { changeLanguage(); });
    setMainWindow(window);
    setStringValue();
}

MainMenu::~MainMenu()
{
    // The bar may live in a window that outlives us (then it goes with us), or the window
    // may already have taken it down with itself.
    delete m_menuBar.data();
}

void MainMenu::setMainWindow(QWidget *window)
{
    m_window = window;
    // Shortcuts must work wherever focus is in the window, with the menus closed.
    if (window) {
        window->addActions(m_playerMenu->actions() + m_fileMenu->actions());
        m_playback->attachTo(window);
    }
}

QAction *MainMenu::itemAt(QMenu *menu, int position) const
{
    const QList<QAction *> items = menu->actions();
    return position >= 0 && position < items.size() ? items.at(position) : nullptr;
}

void MainMenu::setStringValue()
{
    const QString name = MTool::currentBundleName();
    m_fileMenu->setTitle(L::localized("File"));
    m_playerMenu->setTitle(name);
    // Items by their place in the menu as made above; separators have no title.
    const struct {
        QMenu *menu;
        int position;
        QString text;
    } titles[] = {
        {m_playerMenu, 0, QStringLiteral("%1 %2").arg(L::localized("About"), name)},
        {m_playerMenu, 2, withName("Hide")},  {m_playerMenu, 3, L::localized("Hide.Others")},
        {m_playerMenu, 4, L::localized("Show.All")}, {m_playerMenu, 6, withName("Quit")},
        {m_fileMenu, 0, L::localized("Open")}, {m_fileMenu, 1, L::localized("Open.Folder")},
        {m_fileMenu, 2, L::localized("Close")},
    };
    for (const auto &item : titles) {
        if (QAction *a = itemAt(item.menu, item.position))
            a->setText(item.text);
    }
    m_playbackMenu->setTitle(L::localized("Playback"));
    m_playback->retitle();
}

void MainMenu::changeLanguage() { setStringValue(); }

QString MainMenu::openFileFilter()
{
    return QStringLiteral("%1 (%2)").arg(L::localized("Media.list"), MTool::recordingNamePatterns().join(QLatin1Char(' ')));
}

void MainMenu::openMenuItemAction()
{
    qCDebug(lcApp) << "open --->";
    QFileDialog *dialog = openDialog(L::localized("Open"), QFileDialog::ExistingFiles);
    dialog->setNameFilter(openFileFilter());
    dialog->open();
}

void MainMenu::openFolderMenuItemAction()
{
    QFileDialog *dialog = openDialog(L::localized("Open.Folder"), QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->open();
}

QFileDialog *MainMenu::openDialog(const QString &title, QFileDialog::FileMode mode)
{
    auto *dialog = new QFileDialog(m_window, title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(mode);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, L::localized("Open"));
    dialog->setLabelText(QFileDialog::Reject, L::localized("Cancel"));
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QFileDialog::finished, this, [dialog](int result) {
        if (result != QDialog::Accepted)
            return;
        const QList<QUrl> urls = dialog->selectedUrls();
        if (!urls.isEmpty())
            NotificationHub::defaultCenter()->post(QString::fromLatin1(kPlayFile), QVariant::fromValue(urls));
    });
    return dialog;
}

void MainMenu::showAbout()
{
    const QString name = MTool::currentBundleName();
    QMessageBox box(m_window);
    box.setWindowTitle(QStringLiteral("%1 %2").arg(L::localized("About"), name));
    box.setIconPixmap(pixmapNamed(QStringLiteral("trava-player"), QSize(72, 72),
                                  m_window ? m_window->devicePixelRatioF() : 1.0));
    QString version = L::localized("Version");
    box.setText(QStringLiteral("<b>%1</b>").arg(name.toHtmlEscaped()));
    box.setInformativeText(QStringLiteral("%1\n\n%2\n%3\n%4")
                               .arg(version.replace(QLatin1String("%@"), MTool::currentVersion()),
                                    L::localized("The.Company"), L::localized("Web"), L::localized("Tech.Support")));
    box.addButton(L::localized("OK"), QMessageBox::AcceptRole);
    box.exec();
}
