// What the benches that drive the real player view share: waiting on the event loop,
// preferences that are never the user's, the rate set as the speed slider sets it, and the
// per-boundary error figures they print.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

#include "playback/mediaplayview.h"
#include "playback/playcontrolview.h"
#include "widgets/mcustomslider.h"

namespace benchkit {

inline void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until cond() holds; false when ms passed first.
inline bool waitFor(const std::function<bool()> &cond, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms)
            return false;
        wait(5);
    }
    return true;
}

inline int percentile(std::vector<int> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t k = size_t(std::ceil(p * double(v.size()))) - 1;
    return v[std::min(k, v.size() - 1)];
}

// Keeps the bench's preferences in a folder of its own for as long as it lives.
class PrivateSettings
{
public:
    PrivateSettings()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("TravaBench"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }

private:
    QTemporaryDir m_dir;
};

// As the user does: the speed slider's 0..1 maps onto 1/4x..4x logarithmically.
inline void setRate(MediaPlayView &view, double rate)
{
    view.controlView()->playSpeedSlider->setFloatValue((std::log(rate) / std::log(4.0) + 1.0) / 2.0);
}

// One step of a run through the controls a user has, each followed by a wait (divided by the
// run's scale, except the pause itself).
struct Step {
    enum Action { PauseResume, Seek, Rate };
    const char *phase;
    Action action;
    double value; // Seek: a fraction of the length; Rate: the rate
    int waitMs;
};

// Calls onStep(phase, seekSeconds) before each step; seekSeconds is -1 unless it seeks, then
// where to (the progress knob's fraction of the length known now).
inline void runSteps(MediaPlayView &view, const std::vector<Step> &steps, int scale,
                     const std::function<void(const QString &, double)> &onStep)
{
    for (const Step &step : steps) {
        const QString phase = QString::fromLatin1(step.phase);
        switch (step.action) {
        case Step::PauseResume:
            onStep(phase, -1);
            view.resumOrPauseVideo();
            wait(1000);
            view.resumOrPauseVideo();
            break;
        case Step::Seek:
            onStep(phase, step.value * view.duration());
            view.performClick(step.value);
            break;
        case Step::Rate:
            onStep(phase, -1);
            setRate(view, step.value);
            break;
        }
        wait(step.waitMs / scale);
    }
}

// Frames a picture was off at one second boundary, and in which phase of the run.
struct Boundary {
    QString phase;
    int error = 0;
};

struct BoundaryFigures {
    int max = 0;
    int p99 = 0;
    QString worstByPhase; // " phase:worst" for every phase seen
};

inline BoundaryFigures figures(const std::vector<Boundary> &boundaries)
{
    std::vector<int> errors;
    std::map<QString, int> worst;
    for (const Boundary &b : boundaries) {
        errors.push_back(b.error);
        worst[b.phase] = std::max(worst[b.phase], b.error);
    }
    BoundaryFigures f;
    f.max = errors.empty() ? 0 : *std::max_element(errors.begin(), errors.end());
    f.p99 = percentile(errors, 0.99);
    for (const auto &[phase, w] : worst)
        f.worstByPhase += QStringLiteral(" %1:%2").arg(phase).arg(w);
    return f;
}

} // namespace benchkit
