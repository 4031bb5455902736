#pragma once
// The rows of the media list: the file name of each record (one moment of a camera's card
// when its channels were grouped), the channels it holds as badges, its kind in colour and
// the harsh events found in it, and the current row drawn highlighted. The list's rules
// (adding, navigation) live in MediaListView; this model only holds and shows the records.
#include <QAbstractTableModel>
#include <QHash>
#include <QList>

#include "core/mfilemodel.h"

class MediaListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, ChannelsColumn, KindColumn, EventsColumn, ColumnCount };

    explicit MediaListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const QList<MFileModel> &records() const { return m_records; }
    void setRecords(const QList<MFileModel> &records);
    // Puts records above the current rows in one step (the highlight follows its row).
    void prependRecords(const QList<MFileModel> &records);
    void removeRecord(int row);
    // A listed record read again as part of its card: its channel, kind and other channels.
    void updateCard(int row, const MFileModel &card);
    // The harsh events found in the recording at path (-1: not known yet).
    void setEventCount(const QString &path, int count);
    int eventCount(int row) const;
    // The colour a kind is shown in ("event" red, "locked" orange, ...); invalid for none.
    static QColor kindColor(const QString &kind);

    // The header text of the single column ("nameColume").
    void setColumnTitle(const QString &title);
    QString columnTitle() const { return m_title; }

    // -1 for none.
    void setHighlightedRow(int row);
    int highlightedRow() const { return m_highlighted; }

    // A tip that shows text exactly as written, markup included.
    static QString plainTip(const QString &text);

    // Lines added under a recording's name in its tip (the camera's clock, say); empty
    // removes them.
    void setRecordingNote(const QString &path, const QString &note);

private:
    QString cell(int row, Column column) const;

    QHash<QString, QString> m_notes; // by path
    QList<MFileModel> m_records;
    QString m_title;
    QHash<QString, int> m_events;
    int m_highlighted = -1;
};
