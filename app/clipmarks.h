#pragma once
// The clip's In and Out marks, set at the picture on screen. Each is a recording and a
// second in it, so a range may start in one recording and end in a later one of the same
// drive. An In set after the Out (or an Out before the In, or in another drive) drops the
// other mark: the marks always make a range that runs forwards.
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/cliprequest.h"
#include "widgets/timelinemark.h"

struct ClipPoint {
    QString path;
    double seconds = 0;
    bool operator==(const ClipPoint &) const = default;
};

class ClipMarks : public QObject {
    Q_OBJECT
public:
    // tripOf(path) answers the recordings of path's drive in order (path alone when none).
    explicit ClipMarks(std::function<QStringList(const QString &path)> tripOf, QObject *parent = nullptr);

    void setIn(const QString &path, double seconds);
    void setOut(const QString &path, double seconds);
    void clear();

    std::optional<ClipPoint> in() const { return m_in; }
    std::optional<ClipPoint> out() const { return m_out; }
    bool isComplete() const { return m_in && m_out; }

    // The stretches of each recording from In to Out; empty without both marks.
    QList<ClipRecording> recordings() const;
    // Where the marks lie on the timeline of recording path, length seconds long.
    MarkedStretch rangeOn(const QString &path, double length) const;

signals:
    void changed();

private:
    // The drive both points belong to, or empty when they do not share one.
    QStringList commonTrip(const ClipPoint &a, const ClipPoint &b) const;
    bool before(const ClipPoint &a, const ClipPoint &b) const;

    std::function<QStringList(const QString &)> m_tripOf;
    std::optional<ClipPoint> m_in, m_out;
};
