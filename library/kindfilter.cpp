#include "library/kindfilter.h"

#include <QTableView>

#include "core/mlanguagemanager.h"
#include "library/medialistmodel.h"

namespace {
const char *const kKinds[] = {"", "normal", "event", "parking", "locked", "manual", "unknown"};
const char *const kTitles[] = {"All kinds", "Normal", "Event", "Parking", "Locked", "Manual", "Unknown"};
const char *const kKeys[] = {"Kind.all", "Kind.normal", "Kind.event", "Kind.parking",
                             "Kind.locked", "Kind.manual", "Kind.unknown"};
} // namespace

KindFilter::KindFilter(QTableView *table, MediaListModel *model, QWidget *parent)
    : QComboBox(parent), m_table(table), m_model(model)
{
    setObjectName(QStringLiteral("kindFilter"));
    setFocusPolicy(Qt::NoFocus); // the playback keys stay the window's
    for (int i = 0; i < int(std::size(kKinds)); ++i) {
        addItem(QString(), QString::fromLatin1(kKinds[i]));
        if (i > 0 && MediaListModel::kindColor(QString::fromLatin1(kKinds[i])).isValid())
            setItemData(i, MediaListModel::kindColor(QString::fromLatin1(kKinds[i])), Qt::ForegroundRole);
    }
    retitle();
    connect(this, &QComboBox::currentIndexChanged, this, &KindFilter::apply);
    connect(model, &QAbstractItemModel::rowsInserted, this, &KindFilter::apply);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &KindFilter::apply);
    connect(model, &QAbstractItemModel::modelReset, this, &KindFilter::apply);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &bottomRight) {
                if (bottomRight.column() >= MediaListModel::KindColumn)
                    apply();
            });
}

QString KindFilter::chosenKind() const { return currentData().toString(); }

void KindFilter::chooseKind(const QString &kind)
{
    const int i = findData(kind);
    if (i >= 0)
        setCurrentIndex(i);
}

void KindFilter::retitle()
{
    for (int i = 0; i < count() && i < int(std::size(kTitles)); ++i)
        setItemText(i, MLanguageManager::localized(kKeys[i], kTitles[i]));
}

void KindFilter::apply()
{
    const QString kind = chosenKind();
    if (kind.isEmpty() && !m_filtered)
        return; // nothing was hidden: a card of thousands costs nothing here
    const QList<MFileModel> &records = m_model->records();
    for (int row = 0; row < records.size(); ++row) {
        const QString k = records.at(row).kind.isEmpty() ? QStringLiteral("unknown") : records.at(row).kind;
        m_table->setRowHidden(row, !kind.isEmpty() && k != kind);
    }
    m_filtered = !kind.isEmpty();
}
