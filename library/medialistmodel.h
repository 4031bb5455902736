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
    // A download's progress in the row, 0..1000 (-1: none), drawn under the name.
    static constexpr int ProgressRole = Qt::UserRole + 1;

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
    // The kind as the user reads it ("Locked"); empty for none or unknown.
    static QString kindWord(const QString &kind);

    // The header text of the single column ("nameColume").
    void setColumnTitle(const QString &title);
    QString columnTitle() const { return m_title; }

    // -1 for none.
    void setHighlightedRow(int row);
    int highlightedRow() const { return m_highlighted; }

    // A tip that shows text exactly as written, markup included.
    static QString plainTip(const QString &text);

    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // A camera's section (MFileModel::source): its header and rows replace those listed
    // before, or go below every other row.
    void setSourceRows(const QString &source, const QList<MFileModel> &rows);
    // Removes the section; the highlight follows its row or goes with it.
    void removeSource(const QString &source);
    // The row at row now stands for record (a camera's file downloaded: its local paths).
    void replaceRecord(int row, const MFileModel &record);
    // The camera's rows ticked for download (a tick box in front of each name).
    QList<int> checkedRows(const QString &source) const;
    void setChecked(int row, bool checked);
    // A short word after the name of a camera's row ("needs a full read", its route's summary);
    // empty removes it. And the download's progress (-1: none).
    void setRecordingStatus(const QString &path, const QString &status);
    QString recordingStatus(const QString &path) const { return m_status.value(path); }
    void setProgress(const QString &path, int permille);

    // Lines added under a recording's name in its tip (the camera's clock, say); empty
    // removes them.
    void setRecordingNote(const QString &path, const QString &note);

private:
    QString cell(int row, Column column) const;
    static QVariant sourceHeaderData(const MFileModel &header, int column, int role);

    QHash<QString, QString> m_notes; // by path
    QHash<QString, QString> m_status; // by path
    QHash<QString, int> m_progress;   // by path
    QHash<QString, bool> m_checked;   // by path
    QList<MFileModel> m_records;
    QString m_title;
    QHash<QString, int> m_events;
    int m_highlighted = -1;
};
