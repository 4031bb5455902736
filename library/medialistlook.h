#pragma once
// How the media list looks: the dark rows of the dashboard card, and names shown whole in a
// tip only when their column cuts them short.
#include <QStyledItemDelegate>

class QTableView;

void applyDarkLook(QTableView *table);

class NameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    // A download under way shows as a thin bar along the bottom of the name.
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
