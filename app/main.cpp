// trava-player [FILE...]: the dash-camera player. Files given on the command line are
// opened as if dropped on the window; a second start hands them to the running player.
#include <QApplication>
#include <QDir>
#include <QIcon>

#include "app/appdelegate.h"
#include "core/logging.h"
#include "core/imagenamed.h"
#include "app/singleinstance.h"
#include "service/kalgpstool.h"

#include <QThread>
#include <cstdio>
#include <cstdlib>

#ifndef TRAVA_VERSION
#define TRAVA_VERSION "0.0.0"
#endif

int main(int argc, char *argv[])
{
    applyDefaultLogRules();
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
    if (instance.isAvailable() && !instance.listen()) {
        // Another player holds the place: it may still be starting, so offer the files
        // a little longer; never run a second player beside it.
        for (int attempt = 0; attempt < 10; ++attempt) {
            if (instance.sendToRunningInstance(files, 500))
                return 0;
            QThread::msleep(200);
        }
        std::fprintf(stderr, "trava-player: another player is running\n");
        return 1;
    }

    AppDelegate delegate;
    QObject::connect(&instance, &SingleInstance::activationRequested, &delegate, &AppDelegate::openFiles);
    delegate.applicationDidFinishLaunching(files);
    const int status = app.exec();
    delegate.applicationWillTerminate();
    if (KalGpsTool::shareTool()->isDecoding()) {
        // A decode of a large recording cannot be stopped mid-way and must not delay
        // quitting; nothing is left to save, so leave without tearing down under it.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
