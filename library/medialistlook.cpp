#include "library/medialistlook.h"
#include "library/medialistmodel.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QPalette>
#include <QTableView>
#include <QToolTip>

// The list sits in a dark dashboard card: dark rows with a faint second shade, light text.
// The current row keeps the platform highlight, which stands out clearly on the dark rows.
void applyDarkLook(QTableView *table)
{
    QPalette pal = table->palette();
    const QColor base(38, 38, 40);
    const QColor alternate(47, 47, 50);
    const QColor text(226, 226, 226);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Base, base);
        pal.setColor(group, QPalette::AlternateBase, alternate);
        pal.setColor(group, QPalette::Window, base);
        pal.setColor(group, QPalette::Button, QColor(58, 58, 62));
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::WindowText, text);
        pal.setColor(group, QPalette::ButtonText, text);
    }
    pal.setColor(QPalette::Disabled, QPalette::Base, base);
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(130, 130, 130));
    table->setPalette(pal);
    table->horizontalHeader()->setStyleSheet(QStringLiteral(
        "QHeaderView::section { background-color: rgb(58, 58, 62); color: rgb(190, 190, 190);"
        " border: none; border-bottom: 1px solid rgb(85, 85, 90); padding: 2px 4px; font-weight: bold; }"));
}

bool NameDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                             const QModelIndex &index)
{
    if (event && event->type() == QEvent::ToolTip) {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const int textWidth = opt.fontMetrics.horizontalAdvance(opt.text) + 8;
        // A tip with more than the name (the camera's clock) shows whatever the width.
        const bool nameOnly = index.data(Qt::ToolTipRole).toString() == MediaListModel::plainTip(opt.text);
        if (textWidth <= opt.rect.width() && nameOnly) {
            QToolTip::hideText();
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void NameDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const int permille = index.data(MediaListModel::ProgressRole).toInt();
    if (index.column() != MediaListModel::NameColumn || !index.data(MediaListModel::ProgressRole).isValid() || permille < 0)
        return;
    const QRect track = option.rect.adjusted(4, option.rect.height() - 4, -4, -1);
    painter->fillRect(track, QColor(70, 70, 76));
    painter->fillRect(QRect(track.topLeft(), QSize(track.width() * permille / 1000, track.height())), QColor(86, 156, 235));
}
