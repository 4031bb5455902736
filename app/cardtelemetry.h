#pragma once
// The telemetry of every moment in the list: the service is told where each moment's
// telemetry may be found (its main channel's, else another channel's), and each moment's
// harsh events are counted for the list's Events column. Reads go behind the player's, a few
// hundred files per turn of the service, so that a card of thousands is counted in seconds.
#include <QHash>
#include <QObject>
#include <QStringList>

class MediaListModel;

class CardTelemetry : public QObject {
    Q_OBJECT
public:
    explicit CardTelemetry(MediaListModel *model, QObject *parent = nullptr);
    ~CardTelemetry() override;

    // Moments whose events are not counted yet (queued or being read).
    int pending() const { return int(m_queue.size() + m_reading.size()); }

signals:
    // Every listed moment has its count.
    void allCounted();

private:
    void listChanged();
    void readNext();

    MediaListModel *m_model;
    QStringList m_queue;
    QStringList m_reading;
    QHash<QString, int> m_counted; // path -> events (cached across list changes)
    quint64 m_handle = 0;
};
