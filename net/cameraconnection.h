#pragma once
// Lists a dash camera's card over its Wi-Fi without blocking the window: finds which listing
// the camera speaks and reads it (CameraListingWalk), one bounded request at a time. Only
// http and https to the address given: a redirect to another host is not followed, each
// request ends at its deadline or after a silence, and an answer past the cap is cut off.
// Whatever happens, listed or failed is emitted once per list() (unless cancelled).
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>

#include "track/cameralisting.h"

class QNetworkAccessManager;
#include <QNetworkReply>
class CameraListingWalk;

class CameraConnection : public QObject {
    Q_OBJECT
public:
    static constexpr int kSilenceMs = 5000;
    static constexpr int kDeadlineMs = 20000;

    explicit CameraConnection(QObject *parent = nullptr);
    ~CameraConnection() override;

    // "192.168.1.254" or "http://cam:8080/" as the camera's base URL; invalid (with why)
    // for other schemes, user names, queries.
    static QUrl normalizedAddress(const QString &text, QString *why = nullptr);
    // The URL of a listed file on the camera at address.
    static QUrl fileUrl(const QUrl &address, const CameraEntry &entry);

    void list(const QUrl &address);
    void cancel();
    bool isListing() const { return m_reply != nullptr; }
    QUrl address() const { return m_address; }

    int silenceMs = kSilenceMs;
    int deadlineMs = kDeadlineMs;
    CameraListingCaps caps;

signals:
    void listed(const CameraListing &listing);
    // A plain-text reason: the camera did not answer, answered no known listing, or the
    // listing broke a cap.
    void failed(const QString &message);

private:
    void next();

    QNetworkAccessManager *m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<CameraListingWalk> m_walk;
    QUrl m_address;
};
