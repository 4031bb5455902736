#include "core/preferences.h"

#include <QSettings>

namespace Preferences {

void registerSpeedUnitDefault()
{
    QSettings s;
    if (!s.contains(kSpeedUnitType))
        s.setValue(kSpeedUnitType, QStringLiteral("KMH"));
}

void registerSoundDefaults()
{
    QSettings s;
    if (!s.contains(kVideoSound)) {
        s.setValue(kVideoSound, QStringLiteral("16"));
        s.setValue(kAudioSwitch, true);
    }
}

QString speedUnitType()
{
    const QString v = QSettings().value(kSpeedUnitType).toString();
    return v == QLatin1String("MPH") ? v : QStringLiteral("KMH");
}

void setSpeedUnitType(const QString &unit) { QSettings().setValue(kSpeedUnitType, unit); }

QString videoSound() { return QSettings().value(kVideoSound, QStringLiteral("16")).toString(); }

void setVideoSound(const QString &volume) { QSettings().setValue(kVideoSound, volume); }

bool audioSwitch() { return QSettings().value(kAudioSwitch, true).toBool(); }

void setAudioSwitch(bool on) { QSettings().setValue(kAudioSwitch, on); }

QRect windowGeometry() { return QSettings().value(kWindowGeometry).toRect(); }

void setWindowGeometry(const QRect &geometry) { QSettings().setValue(kWindowGeometry, geometry); }

bool windowMaximized() { return QSettings().value(kWindowMaximized, false).toBool(); }

void setWindowMaximized(bool maximized) { QSettings().setValue(kWindowMaximized, maximized); }

QString lastRecording() { return QSettings().value(kLastRecording).toString(); }

void setLastRecording(const QString &path) { QSettings().setValue(kLastRecording, path); }

} // namespace Preferences
