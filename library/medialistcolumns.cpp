#include "library/medialistcolumns.h"

#include <QHeaderView>
#include <QTableView>
#include <QTimer>

#include <utility>

#include "library/medialistmodel.h"

MediaListColumns::MediaListColumns(QTableView *table, MediaListModel *model)
    : QObject(table), m_table(table), m_model(model)
{
    // The name takes what the short columns leave; those are sized once, not row by row,
    // so that a card of thousands of rows is shown at once.
    QHeaderView *header = m_table->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionResizeMode(MediaListModel::NameColumn, QHeaderView::Stretch);
    for (const auto &[column, sample] : {std::pair{MediaListModel::ChannelsColumn, "F R I T"},
                                         std::pair{MediaListModel::KindColumn, "Parking"},
                                         std::pair{MediaListModel::EventsColumn, "Events"}})
        m_table->setColumnWidth(column, m_table->fontMetrics().horizontalAdvance(QLatin1String(sample)) + 14);

    connect(m_model, &QAbstractItemModel::modelReset, this, &MediaListColumns::fitSoon);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &MediaListColumns::fitSoon);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &MediaListColumns::fitSoon);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &MediaListColumns::fitSoon);
    fit();
}

void MediaListColumns::fitSoon()
{
    // Event counts arrive one recording at a time: one look at the rows per turn of the loop.
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        fit();
    });
}

void MediaListColumns::fit()
{
    bool channels = false, kinds = false, events = false;
    const QList<MFileModel> &records = m_model->records();
    for (int row = 0; row < records.size(); ++row) {
        const MFileModel &r = records.at(row);
        if (r.sourceHeader)
            continue;
        channels = channels || !r.otherChannels.isEmpty() || (!r.channel.isEmpty() && r.channel != QLatin1String("front"));
        kinds = kinds || (!r.kind.isEmpty() && r.kind != QLatin1String("unknown"));
        events = events || m_model->eventCount(row) > 0;
        if (channels && kinds && events)
            break;
    }
    m_table->setColumnHidden(MediaListModel::ChannelsColumn, !channels);
    m_table->setColumnHidden(MediaListModel::KindColumn, !kinds);
    m_table->setColumnHidden(MediaListModel::EventsColumn, !events);
}
