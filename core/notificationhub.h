#pragma once
// Process-wide notifications matched by name, delivered synchronously on the posting
// thread (GUI thread in practice). Observers connect to `notification` and filter by
// name, or use observe() which does the filtering and disconnects with the receiver.
#include <QObject>
#include <QVariant>

inline constexpr char kChangeLanguageNocation[] = "kChangeLanguageNocation";
inline constexpr char kPlayFile[] = "kPlayFile";  // object: QList<QUrl> of chosen files

class NotificationHub : public QObject {
    Q_OBJECT
public:
    static NotificationHub *defaultCenter();

    void post(const QString &name, const QVariant &object = {});

    template <typename Receiver, typename Functor>
    QMetaObject::Connection observe(const QString &name, Receiver *receiver, Functor f)
    {
        return connect(this, &NotificationHub::notification, receiver,
                       [name, f](const QString &posted, const QVariant &object) {
                           if (posted == name)
                               f(object);
                       });
    }

signals:
    void notification(const QString &name, const QVariant &object);
};
