#include "app/clipmarks.h"

#include <algorithm>

ClipMarks::ClipMarks(std::function<QStringList(const QString &)> tripOf, QObject *parent)
    : QObject(parent), m_tripOf(std::move(tripOf))
{
}

QStringList ClipMarks::commonTrip(const ClipPoint &a, const ClipPoint &b) const
{
    if (a.path == b.path)
        return {a.path};
    const QStringList trip = m_tripOf ? m_tripOf(b.path) : QStringList{b.path};
    return trip.contains(a.path) ? trip : QStringList();
}

bool ClipMarks::before(const ClipPoint &a, const ClipPoint &b) const
{
    const QStringList trip = commonTrip(a, b);
    if (trip.isEmpty())
        return false;
    const qsizetype ia = trip.indexOf(a.path), ib = trip.indexOf(b.path);
    return ia < ib || (ia == ib && a.seconds < b.seconds);
}

void ClipMarks::setIn(const QString &path, double seconds)
{
    m_in = ClipPoint{path, std::max(0.0, seconds)};
    if (m_out && !before(*m_in, *m_out))
        m_out.reset();
    emit changed();
}

void ClipMarks::setOut(const QString &path, double seconds)
{
    m_out = ClipPoint{path, std::max(0.0, seconds)};
    if (m_in && !before(*m_in, *m_out))
        m_in.reset();
    emit changed();
}

void ClipMarks::clear()
{
    m_in.reset();
    m_out.reset();
    emit changed();
}

QList<ClipRecording> ClipMarks::recordings() const
{
    if (!isComplete())
        return {};
    const QStringList trip = commonTrip(*m_in, *m_out);
    const qsizetype first = trip.indexOf(m_in->path), last = trip.indexOf(m_out->path);
    QList<ClipRecording> out;
    for (qsizetype i = first; i >= 0 && i <= last; ++i)
        out.append({trip[i], i == first ? m_in->seconds : 0.0, i == last ? m_out->seconds : ClipRecording::kEnd});
    return out;
}

MarkedStretch ClipMarks::rangeOn(const QString &path, double length) const
{
    MarkedStretch r;
    if (length <= 0)
        return r;
    const ClipPoint here{path, 0};
    if (m_in) {
        if (m_in->path == path)
            r.from = std::clamp(m_in->seconds / length, 0.0, 1.0);
        else if (m_out && before(*m_in, here) && !before(*m_out, here))
            r.from = 0.0; // the range began in an earlier recording
    }
    if (m_out) {
        if (m_out->path == path)
            r.to = std::clamp(m_out->seconds / length, 0.0, 1.0);
        else if (m_in && (m_in->path == path || before(*m_in, here)) && before(here, *m_out))
            r.to = 1.0; // and goes on into a later one
    }
    return r;
}
