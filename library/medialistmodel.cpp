#include "library/medialistmodel.h"

#include <QApplication>
#include <QPalette>

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
    return parent.isValid() ? 0 : 1;
}

QVariant MediaListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const bool current = index.row() == m_highlighted;
    switch (role) {
    case Qt::DisplayRole:
        return m_records.at(index.row()).fName;
    case Qt::ToolTipRole:
        // Tips guess rich text from the text itself; a name is shown as it is written.
        if (const QString note = m_notes.value(m_records.at(index.row()).fLocalPath); !note.isEmpty())
            return plainTip(m_records.at(index.row()).fName + QLatin1Char('\n') + note);
        return plainTip(m_records.at(index.row()).fName);
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
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MediaListModel::flags(const QModelIndex &index) const
{
    // Enabled but neither selectable nor editable: clicks never move the highlight.
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
        emit dataChanged(index(old, 0), index(old, 0));
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, 0));
}
