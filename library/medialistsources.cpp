// The media list's camera sections: a camera's recordings below the others, under a header
// row that names the camera. Kept apart from medialistview.cpp, whose rules for the
// recordings the user opened do not change for them, except that a header is no recording.
#include "library/medialistview.h"

#include <QLayout>
#include <QTableView>

#include "library/medialistmodel.h"

bool MediaListView::isRemote(const MFileModel &record)
{
    return !record.source.isEmpty() && (record.fLocalPath.startsWith(QLatin1String("http://")) ||
                                        record.fLocalPath.startsWith(QLatin1String("https://")));
}

int MediaListView::playableRow(int row, int step) const
{
    const QList<MFileModel> &records = m_model->records();
    for (; row >= 0 && row < records.size(); row += step) {
        if (!records.at(row).sourceHeader)
            return row;
    }
    return -1;
}

QList<MFileModel> MediaListView::keptRecords() const
{
    QList<MFileModel> kept;
    for (const MFileModel &m : m_model->records())
        if (m.source.isEmpty())
            kept.append(m);
    return kept;
}

QList<MFileModel> MediaListView::sourceRecords() const
{
    QList<MFileModel> rows;
    for (const MFileModel &m : m_model->records())
        if (!m.source.isEmpty())
            rows.append(m);
    return rows;
}

void MediaListView::spanHeaders()
{
    const QList<MFileModel> &records = m_model->records();
    m_table->clearSpans();
    for (int row = 0; row < records.size(); ++row)
        if (records.at(row).sourceHeader)
            m_table->setSpan(row, 0, 1, MediaListModel::ColumnCount);
}

void MediaListView::setSource(const MFileModel &header, const QList<MFileModel> &rows)
{
    const QList<MFileModel> &records = m_model->records();
    const QString current = m_curIndex >= 0 && m_curIndex < records.size() ? records.at(m_curIndex).fLocalPath : QString();
    const QString highlighted = m_model->highlightedRow() >= 0 ? records.at(m_model->highlightedRow()).fLocalPath : QString();
    QList<MFileModel> section{header};
    section.back().source = header.source;
    section.back().sourceHeader = true;
    for (MFileModel row : rows) {
        row.source = header.source;
        row.sourceHeader = false;
        section.append(row);
    }
    m_model->setSourceRows(header.source, section);
    const int at = current.isEmpty() ? -1 : getIndexWithModel(MFileModel(QString(), current));
    m_curIndex = at >= 0 ? at : playableRow(0, 1) < 0 ? 0 : playableRow(0, 1);
    if (!highlighted.isEmpty())
        m_model->setHighlightedRow(getIndexWithModel(MFileModel(QString(), highlighted)));
}

void MediaListView::removeSource(const QString &source)
{
    if (source.isEmpty())
        return;
    const QList<MFileModel> &records = m_model->records();
    const QString current = m_curIndex >= 0 && m_curIndex < records.size() ? records.at(m_curIndex).fLocalPath : QString();
    bool currentGoes = false;
    int first = -1;
    for (int row = 0; row < records.size(); ++row) {
        if (records.at(row).source == source) {
            first = first < 0 ? row : first;
            currentGoes = currentGoes || row == m_curIndex;
        }
    }
    if (first < 0)
        return;
    const MFileModel playing = currentGoes ? records.at(m_curIndex) : MFileModel();
    m_model->removeSource(source);
    const int n = int(m_model->records().size());
    const int at = getIndexWithModel(MFileModel(QString(), current));
    m_curIndex = at >= 0 ? at : n == 0 ? 0 : qBound(0, first, n - 1);
    m_clickedRow = -1;
    if (currentGoes && m_delegate)
        m_delegate->mediaPlayerDidDeleteModelIsSelect(this, playing, true);
    emit sourceRemoved(source);
}

void MediaListView::replaceRecord(const QString &path, const MFileModel &record)
{
    const int row = getIndexWithModel(MFileModel(QString(), path));
    if (row >= 0)
        m_model->replaceRecord(row, record);
}

void MediaListView::addFooter(QWidget *footer)
{
    footer->setParent(this);
    layout()->addWidget(footer);
}
