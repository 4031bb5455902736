#include "app/cameraactions.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>
#include <QSettings>

#include "app/camerapanel.h"
#include "app/mainmenu.h"
#include "app/ovraplayvc.h"
#include "core/mlanguagemanager.h"
#include "core/mtool.h"
#include "core/notificationhub.h"
#include "library/cardgrouping.h"
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

std::function<QString(const CameraEntry &)> cameraKindRule()
{
    // The listing's path is the card's own (DCIM/RO/...), so folder rules apply as on a card.
    return [](const CameraEntry &e) { return CardGrouping::kindOf(QString::fromStdString(e.path)); };
}

CameraPanel *cameraPanel(QWidget *window, OvraPlayVC *vc)
{
    auto *panel = window->findChild<CameraPanel *>(QStringLiteral("cameraPanel"), Qt::FindDirectChildrenOnly);
    if (panel)
        return panel;
    panel = new CameraPanel(window);
    panel->setKindRule(cameraKindRule());
    if (vc) {
        QObject::connect(panel, &CameraPanel::playRequested, vc, [vc = QPointer<OvraPlayVC>(vc)](const MFileModel &record) {
            if (vc && !record.isEmpty())
                vc->mediaList()->loadMediaData({{{QStringLiteral("fName"), record.fName},
                                                 {QStringLiteral("fLocalPath"), record.fLocalPath}}});
        });
    }
    return panel;
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
        CameraPanel *panel = cameraPanel(window, vc);
        panel->connectTo(address);
        panel->show();
        panel->raise();
    });
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), action,
                                              [action](const QVariant &) { action->setText(loc("Camera.menu")); });
}
