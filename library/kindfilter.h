#pragma once
// The list's choice of which kinds of recording to show (all, or only events, parking-mode
// clips, ...): rows of other kinds are hidden, never removed, so the current recording and
// the navigation stay as they are.
#include <QComboBox>

class MediaListModel;
class QTableView;

class KindFilter : public QComboBox {
    Q_OBJECT
public:
    KindFilter(QTableView *table, MediaListModel *model, QWidget *parent = nullptr);

    // "" for all kinds, else "normal", "event", ...
    QString chosenKind() const;
    void chooseKind(const QString &kind);
    // Re-reads the item texts in the current language.
    void retitle();

private:
    void apply();

    QTableView *m_table;
    MediaListModel *m_model;
    bool m_filtered = false;
};
