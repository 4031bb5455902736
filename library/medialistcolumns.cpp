#include "library/medialistcolumns.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>

#include <algorithm>

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
    // The kind is one coloured letter, the events a count under a sign.
    const QFontMetrics metrics = m_table->fontMetrics();
    m_table->setColumnWidth(MediaListModel::KindColumn, metrics.horizontalAdvance(QLatin1Char('W')) + 14);
    m_table->setColumnWidth(MediaListModel::EventsColumn,
                            std::max(metrics.horizontalAdvance(QStringLiteral("99")),
                                     metrics.horizontalAdvance(QStringLiteral("\u26A0"))) + 14);

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
    qsizetype mostChannels = 1;
    const QList<MFileModel> &records = m_model->records();
    for (int row = 0; row < records.size(); ++row) {
        const MFileModel &r = records.at(row);
        if (r.sourceHeader)
            continue;
        channels = channels || !r.otherChannels.isEmpty() || (!r.channel.isEmpty() && r.channel != QLatin1String("front"));
        kinds = kinds || (!r.kind.isEmpty() && r.kind != QLatin1String("unknown"));
        events = events || m_model->eventCount(row) > 0;
        mostChannels = std::max(mostChannels, r.otherChannels.size() + 1);
    }
    // As wide as the most badges a row has, not as four.
    const QString widest = QStringLiteral("W ").repeated(std::min<qsizetype>(mostChannels, 8)).trimmed();
    m_table->setColumnWidth(MediaListModel::ChannelsColumn, m_table->fontMetrics().horizontalAdvance(widest) + 14);
    m_table->setColumnHidden(MediaListModel::ChannelsColumn, !channels);
    m_table->setColumnHidden(MediaListModel::KindColumn, !kinds);
    m_table->setColumnHidden(MediaListModel::EventsColumn, !events);
}
