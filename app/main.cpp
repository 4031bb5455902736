// trava-player [FILE...]: the dash-camera player. Files given on the command line are
// opened as if dropped on the window; a second start hands them to the running player.
#include <QApplication>
#include <QDir>
#include <QIcon>

#include "app/appdelegate.h"
#include "core/imagenamed.h"
#include "app/singleinstance.h"

#ifndef TRAVA_VERSION
#define TRAVA_VERSION "0.0.0"
#endif

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Trava"));
    QCoreApplication::setApplicationName(QStringLiteral("Trava Player"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRAVA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("trava-player"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/trava-player.svg")));

    const QStringList files = SingleInstance::absolutePaths(app.arguments().mid(1), QDir::currentPath());

    SingleInstance instance;
    if (instance.sendToRunningInstance(files))
        return 0;
    instance.listen();

    AppDelegate delegate;
    QObject::connect(&instance, &SingleInstance::activationRequested, &delegate, &AppDelegate::openFiles);
    delegate.applicationDidFinishLaunching(files);
    const int status = app.exec();
    delegate.applicationWillTerminate();
    return status;
}
