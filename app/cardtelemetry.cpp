#include "app/cardtelemetry.h"

#include <QPointer>
#include <QSet>
#include <QTimer>

#include "app/incidentpreferences.h"
#include "library/medialistmodel.h"
#include "service/kalgpstool.h"
#include "service/telemetrysources.h"
#include "track/harshevents.h"

namespace {
// Files per turn of the service: large enough that its start-up pause does not count, small
// enough that a newer request (an export, the trip search) does not wait long behind it.
constexpr int kBatch = 200;
} // namespace

CardTelemetry::CardTelemetry(MediaListModel *model, QObject *parent) : QObject(parent), m_model(model)
{
    // Changes arrive in bursts (a card's rows, then their kinds): one look after each burst.
    auto later = [this] { QTimer::singleShot(0, this, &CardTelemetry::listChanged); };
    connect(model, &QAbstractItemModel::rowsInserted, this, later);
    connect(model, &QAbstractItemModel::modelReset, this, later);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this, later](const QModelIndex &topLeft) {
                if (topLeft.column() != MediaListModel::EventsColumn)
                    later();
            });
}

CardTelemetry::~CardTelemetry()
{
    if (m_handle)
        KalGpsTool::shareTool()->cancel(m_handle);
}

void CardTelemetry::listChanged()
{
    QSet<QString> waiting(m_queue.begin(), m_queue.end());
    waiting.unite(QSet<QString>(m_reading.begin(), m_reading.end()));
    const QList<MFileModel> &records = m_model->records();
    for (int row = 0; row < records.size(); ++row) {
        const MFileModel &m = records.at(row);
        QStringList others;
        for (const MChannelFile &c : m.otherChannels)
            others << c.fLocalPath;
        TelemetrySources::setAlternates(m.fLocalPath, others);
        if (m.fLocalPath.startsWith(QLatin1String("http")))
            continue;
        if (const auto it = m_counted.constFind(m.fLocalPath); it != m_counted.constEnd()) {
            if (m_model->eventCount(row) != *it)
                m_model->setEventCount(m.fLocalPath, *it);
        } else if (!waiting.contains(m.fLocalPath)) {
            m_queue << m.fLocalPath;
            waiting.insert(m.fLocalPath);
        }
    }
    readNext();
}

void CardTelemetry::readNext()
{
    if (m_handle || !m_reading.isEmpty())
        return;
    if (m_queue.isEmpty()) {
        emit allCounted();
        return;
    }
    m_reading = m_queue.mid(0, kBatch);
    m_queue = m_queue.mid(kBatch);
    const HarshSensitivity sensitivity = harshSensitivityFromName(IncidentPreferences::harshSensitivity().toStdString());
    QPointer<CardTelemetry> self(this);
    m_handle = KalGpsTool::shareTool()->requestMany(
        m_reading,
        [self, sensitivity](const QString &path, const Extraction &e) {
            // Only a complete reading says how many events there are; others are left blank.
            if (!self || e.status != ExtractionStatus::Complete)
                return;
            const int n = e.track ? int(detectHarshEvents(e.track, sensitivity).size()) : 0;
            self->m_counted.insert(path, n);
            self->m_model->setEventCount(path, n);
        },
        [self] {
            if (!self)
                return;
            self->m_handle = 0;
            self->m_reading.clear();
            self->readNext();
        });
}
