#include "app/mainmenu.h"

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
QString localized(const char *key) { return MLanguageManager::DPLocalizedString(QString::fromLatin1(key)); }
// Texts with a "%@" take the program name in its place.
QString withName(const char *key) { return localized(key).replace(QLatin1String("%@"), MTool::currentBundleName()); }
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
        // Window actions that belong in the File menu (Export Track...) follow Close.
        for (QAction *a : window->findChildren<QAction *>()) {
            if (a->property("fileMenu").toBool() && !m_fileMenu->actions().contains(a)) {
                m_fileMenu->addSeparator();
                m_fileMenu->addAction(a);
            }
        }
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
    m_fileMenu->setTitle(localized("File"));
    m_playerMenu->setTitle(name);
    if (QAction *a = itemAt(m_playerMenu, 0))
        a->setText(QStringLiteral("%1 %2").arg(localized("About"), name));
    if (QAction *a = itemAt(m_playerMenu, 2))
        a->setText(withName("Hide"));
    if (QAction *a = itemAt(m_playerMenu, 3))
        a->setText(localized("Hide.Others"));
    if (QAction *a = itemAt(m_playerMenu, 4))
        a->setText(localized("Show.All"));
    if (QAction *a = itemAt(m_playerMenu, 6))
        a->setText(withName("Quit"));
    if (QAction *a = itemAt(m_fileMenu, 0))
        a->setText(localized("Open"));
    if (QAction *a = itemAt(m_fileMenu, 1))
        a->setText(localized("Open.Folder"));
    if (QAction *a = itemAt(m_fileMenu, 2))
        a->setText(localized("Close"));
    m_playbackMenu->setTitle(localized("Playback"));
    m_playback->retitle();
}

void MainMenu::changeLanguage() { setStringValue(); }

QString MainMenu::openFileFilter()
{
    return QStringLiteral("%1 (*.mp4 *.mov *.MP4 *.MOV *.ts *.TS)").arg(localized("Media.list"));
}

void MainMenu::openMenuItemAction()
{
    qDebug() << "open --->";
    auto *dialog = new QFileDialog(m_window, localized("Open"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilter(openFileFilter());
    dialog->setLabelText(QFileDialog::Accept, localized("Open"));
    dialog->setLabelText(QFileDialog::Reject, localized("Cancel"));
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QFileDialog::finished, this, [dialog](int result) {
        if (result != QDialog::Accepted)
            return;
        const QList<QUrl> urls = dialog->selectedUrls();
        if (!urls.isEmpty())
            NotificationHub::defaultCenter()->post(QString::fromLatin1(kPlayFile), QVariant::fromValue(urls));
    });
    dialog->open();
}

void MainMenu::openFolderMenuItemAction()
{
    auto *dialog = new QFileDialog(m_window, localized("Open.Folder"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, localized("Open"));
    dialog->setLabelText(QFileDialog::Reject, localized("Cancel"));
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QFileDialog::finished, this, [dialog](int result) {
        if (result != QDialog::Accepted)
            return;
        const QList<QUrl> urls = dialog->selectedUrls();
        if (!urls.isEmpty())
            NotificationHub::defaultCenter()->post(QString::fromLatin1(kPlayFile), QVariant::fromValue(urls));
    });
    dialog->open();
}

void MainMenu::showAbout()
{
    const QString name = MTool::currentBundleName();
    QMessageBox box(m_window);
    box.setWindowTitle(QStringLiteral("%1 %2").arg(localized("About"), name));
    box.setIconPixmap(pixmapNamed(QStringLiteral("trava-player"), QSize(72, 72),
                                  m_window ? m_window->devicePixelRatioF() : 1.0));
    QString version = localized("Version");
    box.setText(QStringLiteral("<b>%1</b>").arg(name.toHtmlEscaped()));
    box.setInformativeText(QStringLiteral("%1\n\n%2\n%3\n%4")
                               .arg(version.replace(QLatin1String("%@"), MTool::currentVersion()),
                                    localized("The.Company"), localized("Web"), localized("Tech.Support")));
    box.addButton(localized("OK"), QMessageBox::AcceptRole);
    box.exec();
}
