#include "app/cameraactions.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QSettings>

#include "app/camerabar.h"
#include "app/camerasource.h"
#include "app/mainmenu.h"
#include "app/ovraplayvc.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include "core/notificationhub.h"
#include "library/medialistview.h"
#include "net/cameraconnection.h"

namespace {
QString loc(const char *key)
{
    return MLanguageManager::DPLocalizedString(QString::fromLatin1(key));
}
} // namespace

QStringList cameraAddressChoices()
{
    QStringList choices;
    const QString last = QSettings().value(QString::fromLatin1(kCameraAddress)).toString();
    if (!last.isEmpty())
        choices << last;
    for (const QString &d : {QStringLiteral("http://192.168.1.254"), QStringLiteral("http://10.99.77.1")}) {
        if (!choices.contains(d))
            choices << d;
    }
    return choices;
}

void rememberCameraAddress(const QString &address)
{
    QSettings().setValue(QString::fromLatin1(kCameraAddress), address);
}

CameraSource *cameraSource(OvraPlayVC *vc)
{
    auto *source = vc->findChild<CameraSource *>(QStringLiteral("cameraSource"), Qt::FindDirectChildrenOnly);
    if (!source) {
        source = new CameraSource(vc->mediaList(), vc);
        source->setObjectName(QStringLiteral("cameraSource"));
    }
    return source;
}

void wireCameraMenu(MainMenu *menu, OvraPlayVC *vc)
{
    auto *action = new QAction(loc("Camera.menu"), menu);
    action->setObjectName(QStringLiteral("connectCameraAction"));
    // At the end of the File menu: the menu re-titles its own items by position.
    menu->fileMenu()->addAction(action);
    QObject::connect(action, &QAction::triggered, vc, [vc] {
        QWidget *window = vc->window();
        bool ok = false;
        const QString text = QInputDialog::getItem(window, loc("Camera.address.title"), loc("Camera.address.label"),
                                                   cameraAddressChoices(), 0, true, &ok);
        if (!ok || text.trimmed().isEmpty())
            return;
        QString why;
        const QUrl address = CameraConnection::normalizedAddress(text, &why);
        if (!address.isValid()) {
            vc->showAlert(loc("Prompt"), loc("Camera.failed").arg(why), {loc("OK")});
            return;
        }
        rememberCameraAddress(address.toString());
        cameraSource(vc)->connectTo(address);
    });
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), action,
                                              [action, vc](const QVariant &) {
        action->setText(loc("Camera.menu"));
        if (auto *source = vc->findChild<CameraSource *>(QStringLiteral("cameraSource"), Qt::FindDirectChildrenOnly))
            source->bar()->retitle();
    });
}
