#include "library/medialistmodel.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>

#include "core/mlanguagemanager.h"
#include "library/cardgrouping.h"

QString MediaListModel::plainTip(const QString &text)
{
    if (text.isEmpty())
        return text;
    return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

MediaListModel::MediaListModel(QObject *parent) : QAbstractTableModel(parent) {}

void MediaListModel::setRecordingNote(const QString &path, const QString &note)
{
    if (note.isEmpty())
        m_notes.remove(path);
    else
        m_notes.insert(path, note);
}

int MediaListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int MediaListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

QVariant MediaListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const bool current = index.row() == m_highlighted;
    const MFileModel &record = m_records.at(index.row());
    if (record.sourceHeader)
        return sourceHeaderData(record, index.column(), role);
    if (role == Qt::CheckStateRole && index.column() == NameColumn && !record.source.isEmpty())
        return m_checked.value(record.fLocalPath) ? Qt::Checked : Qt::Unchecked;
    if (role == ProgressRole && index.column() == NameColumn)
        return m_progress.value(record.fLocalPath, -1);
    if (index.column() != NameColumn && !current) {
        if (role == Qt::DisplayRole)
            return cell(index.row(), Column(index.column()));
        if (role == Qt::ForegroundRole && index.column() == KindColumn && kindColor(record.kind).isValid())
            return kindColor(record.kind);
        // The kind shows as its coloured initial, the word in the tip: the list is narrow.
        if (role == Qt::ToolTipRole && index.column() == KindColumn)
            return kindWord(record.kind);
        if (role == Qt::FontRole && index.column() == KindColumn) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        if (role == Qt::TextAlignmentRole && index.column() == EventsColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role == Qt::ToolTipRole && index.column() == ChannelsColumn && !record.otherChannels.isEmpty()) {
            QStringList lines{record.channel + QStringLiteral(": ") + record.fName};
            for (const MChannelFile &c : record.otherChannels)
                lines << c.channel + QStringLiteral(": ") + c.fLocalPath.section(QLatin1Char('/'), -1);
            return plainTip(lines.join(QLatin1Char('\n')));
        }
        if (role != Qt::BackgroundRole)
            return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn && m_status.contains(record.fLocalPath))
            return record.fName + QStringLiteral("  ·  ") + m_status.value(record.fLocalPath);
        return index.column() == NameColumn ? record.fName : cell(index.row(), Column(index.column()));
    case Qt::ToolTipRole:
        // Tips guess rich text from the text itself; a name is shown as it is written.
        if (index.column() != NameColumn)
            return QVariant();
        if (const QString note = m_notes.value(record.fLocalPath); !note.isEmpty())
            return plainTip(record.fName + QLatin1Char('\n') + note);
        // A camera's row: what is known of it, which a narrow list cuts off the name.
        if (const QString status = m_status.value(record.fLocalPath); !status.isEmpty())
            return plainTip(record.fName + QLatin1Char('\n') + status);
        return plainTip(record.fName);
    case Qt::BackgroundRole:
        if (current)
            return QApplication::palette().brush(QPalette::Active, QPalette::Highlight);
        return {};
    case Qt::ForegroundRole:
        if (current)
            return QApplication::palette().brush(QPalette::Active, QPalette::HighlightedText);
        return {};
    default:
        return {};
    }
}

QVariant MediaListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return m_title;
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        switch (section) {
        // The short columns are named in their tips: the list is too narrow for the words.
        case ChannelsColumn:
        case KindColumn:
            return QString();
        case EventsColumn:
            return QStringLiteral("\u26A0"); // the word is in the tip: the column holds a count
        default:
            break;
        }
    }
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == EventsColumn)
        return MLanguageManager::localized("Events", "Events");
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == KindColumn)
        return MLanguageManager::localized("Kind", "Kind");
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == ChannelsColumn)
        return MLanguageManager::localized("Channels", "Channels");
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MediaListModel::flags(const QModelIndex &index) const
{
    // Enabled but neither selectable nor editable: clicks never move the highlight. A camera's
    // rows carry a tick box for downloads.
    if (index.isValid() && index.column() == NameColumn && index.row() < m_records.size()) {
        const MFileModel &r = m_records.at(index.row());
        if (!r.source.isEmpty() && !r.sourceHeader)
            return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable;
    }
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void MediaListModel::setRecords(const QList<MFileModel> &records)
{
    beginResetModel();
    m_records = records;
    if (m_highlighted >= m_records.size())
        m_highlighted = -1;
    endResetModel();
}

void MediaListModel::prependRecords(const QList<MFileModel> &records)
{
    if (records.isEmpty())
        return;
    beginInsertRows({}, 0, int(records.size()) - 1);
    m_records = records + m_records;
    if (m_highlighted >= 0)
        m_highlighted += int(records.size());
    endInsertRows();
}

void MediaListModel::removeRecord(int row)
{
    if (row < 0 || row >= m_records.size())
        return;
    beginRemoveRows({}, row, row);
    m_records.removeAt(row);
    if (m_highlighted == row)
        m_highlighted = -1;
    else if (m_highlighted > row)
        --m_highlighted;
    endRemoveRows();
}

QString MediaListModel::cell(int row, Column column) const
{
    const MFileModel &record = m_records.at(row);
    switch (column) {
    case ChannelsColumn:
        return CardGrouping::badges(record);
    case KindColumn:
        return kindWord(record.kind).left(1);
    case EventsColumn: {
        const int n = m_events.value(record.fLocalPath, -1);
        return n < 0 ? QString() : QString::number(n);
    }
    default:
        return record.fName;
    }
}

QString MediaListModel::kindWord(const QString &kind)
{
    if (kind.isEmpty() || kind == QLatin1String("unknown"))
        return QString();
    return MLanguageManager::localized(("Kind." + kind.toLatin1()).constData(),
                                       (kind.left(1).toUpper() + kind.mid(1)).toUtf8().constData());
}

QColor MediaListModel::kindColor(const QString &kind)
{
    if (kind == QLatin1String("event"))
        return QColor(235, 87, 87);
    if (kind == QLatin1String("locked"))
        return QColor(242, 153, 74);
    if (kind == QLatin1String("parking"))
        return QColor(86, 156, 235);
    if (kind == QLatin1String("manual"))
        return QColor(187, 107, 217);
    if (kind == QLatin1String("normal"))
        return QColor(111, 191, 115);
    return QColor();
}

void MediaListModel::updateCard(int row, const MFileModel &card)
{
    if (row < 0 || row >= m_records.size())
        return;
    MFileModel &r = m_records[row];
    r.channel = card.channel;
    r.kind = card.kind;
    r.otherChannels = card.otherChannels;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void MediaListModel::setEventCount(const QString &path, int count)
{
    m_events.insert(path, count);
    for (int row = 0; row < m_records.size(); ++row)
        if (m_records.at(row).fLocalPath == path)
            emit dataChanged(index(row, EventsColumn), index(row, EventsColumn));
}

int MediaListModel::eventCount(int row) const
{
    return row >= 0 && row < m_records.size() ? m_events.value(m_records.at(row).fLocalPath, -1) : -1;
}

void MediaListModel::setColumnTitle(const QString &title)
{
    m_title = title;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void MediaListModel::setHighlightedRow(int row)
{
    if (row >= m_records.size())
        row = -1;
    const int old = m_highlighted;
    m_highlighted = row;
    if (old >= 0 && old < m_records.size())
        emit dataChanged(index(old, 0), index(old, ColumnCount - 1));
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

QVariant MediaListModel::sourceHeaderData(const MFileModel &header, int column, int role)
{
    // The camera's name row: one cell across the table, set apart from the recordings.
    switch (role) {
    case Qt::DisplayRole:
        return column == NameColumn ? header.fName : QString();
    case Qt::ToolTipRole:
        return column == NameColumn ? plainTip(header.fName) : QVariant();
    case Qt::FontRole: {
        QFont font = QApplication::font();
        font.setBold(true);
        return font;
    }
    case Qt::BackgroundRole:
        return QColor(52, 66, 84);
    case Qt::ForegroundRole:
        return QColor(226, 232, 240);
    default:
        return {};
    }
}

bool MediaListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !(flags(index) & Qt::ItemIsUserCheckable))
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

void MediaListModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= m_records.size() || m_records.at(row).source.isEmpty() || m_records.at(row).sourceHeader)
        return;
    m_checked.insert(m_records.at(row).fLocalPath, checked);
    emit dataChanged(index(row, NameColumn), index(row, NameColumn), {Qt::CheckStateRole});
}

QList<int> MediaListModel::checkedRows(const QString &source) const
{
    QList<int> rows;
    for (int row = 0; row < m_records.size(); ++row) {
        const MFileModel &r = m_records.at(row);
        if (r.source == source && !r.sourceHeader && m_checked.value(r.fLocalPath))
            rows << row;
    }
    return rows;
}

void MediaListModel::setSourceRows(const QString &source, const QList<MFileModel> &rows)
{
    removeSource(source);
    if (rows.isEmpty())
        return;
    const int first = int(m_records.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_records += rows;
    endInsertRows();
}

void MediaListModel::removeSource(const QString &source)
{
    int first = -1, last = -1;
    for (int row = 0; row < m_records.size(); ++row) {
        if (m_records.at(row).source == source) {
            first = first < 0 ? row : first;
            last = row;
        }
    }
    if (first < 0)
        return;
    // A section is one block of rows: everything between its first and last row goes.
    beginRemoveRows({}, first, last);
    for (int row = first; row <= last; ++row) {
        m_checked.remove(m_records.at(row).fLocalPath);
        m_progress.remove(m_records.at(row).fLocalPath);
        m_status.remove(m_records.at(row).fLocalPath);
    }
    m_records.remove(first, last - first + 1);
    if (m_highlighted > last)
        m_highlighted -= last - first + 1;
    else if (m_highlighted >= first)
        m_highlighted = -1;
    endRemoveRows();
}

void MediaListModel::replaceRecord(int row, const MFileModel &record)
{
    if (row < 0 || row >= m_records.size())
        return;
    const QString old = m_records.at(row).fLocalPath;
    if (old != record.fLocalPath) {
        // What was known of the recording goes with it to its new path.
        for (QHash<QString, int> *h : {&m_events, &m_progress})
            if (h->contains(old))
                h->insert(record.fLocalPath, h->take(old));
        if (m_status.contains(old))
            m_status.insert(record.fLocalPath, m_status.take(old));
        if (m_checked.contains(old))
            m_checked.insert(record.fLocalPath, m_checked.take(old));
    }
    m_records[row] = record;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void MediaListModel::setRecordingStatus(const QString &path, const QString &status)
{
    if (status.isEmpty())
        m_status.remove(path);
    else
        m_status.insert(path, status);
    for (int row = 0; row < m_records.size(); ++row)
        if (m_records.at(row).fLocalPath == path)
            emit dataChanged(index(row, NameColumn), index(row, NameColumn));
}

void MediaListModel::setProgress(const QString &path, int permille)
{
    if (permille < 0)
        m_progress.remove(path);
    else
        m_progress.insert(path, std::min(permille, 1000));
    for (int row = 0; row < m_records.size(); ++row)
        if (m_records.at(row).fLocalPath == path)
            emit dataChanged(index(row, NameColumn), index(row, NameColumn), {ProgressRole});
}
