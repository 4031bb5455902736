#include "core/notificationhub.h"

NotificationHub *NotificationHub::defaultCenter()
{
    static NotificationHub hub;
    return &hub;
}

void NotificationHub::post(const QString &name, const QVariant &object)
{
    emit notification(name, object);
}
