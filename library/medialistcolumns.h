#pragma once
// The media list's short columns (channels, kind, events) sized once, and shown only when some
// row has something to say in them: a list of lone files from one camera shows its names in
// full width rather than three columns of blanks and zeros.
#include <QObject>

class QTableView;
class MediaListModel;

class MediaListColumns : public QObject {
    Q_OBJECT
public:
    MediaListColumns(QTableView *table, MediaListModel *model);

    // Shows or hides the short columns for the rows there are now; runs by itself (batched)
    // whenever the rows change.
    void fit();

private:
    void fitSoon();

    QTableView *m_table;
    MediaListModel *m_model;
    bool m_pending = false;
};
