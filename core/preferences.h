#pragma once
// The per-user preferences the views share, under their stored key names.
#include <QRect>
#include <QString>

inline constexpr char kSelectLanguage[] = "kSelectLanguage"; // "en", "ja", "fr", "de"
inline constexpr char kSpeedUnitType[] = "kSpeedUnitType";   // "KMH" or "MPH"
inline constexpr char kVideoSound[] = "kVideoSound";         // volume as a string, default "16"
inline constexpr char kAudioSwitch[] = "kAudioSwitch";       // bool, default true
inline constexpr char kWindowGeometry[] = "kWindowGeometry"; // the main window's size and place
inline constexpr char kWindowMaximized[] = "kWindowMaximized"; // bool
inline constexpr char kLastRecording[] = "kLastRecording";   // path of the last current recording

namespace Preferences {
// Writes "KMH" under kSpeedUnitType when absent.
void registerSpeedUnitDefault();
// Writes "16" and true under kVideoSound/kAudioSwitch when kVideoSound is absent.
void registerSoundDefaults();

QString speedUnitType();              // "KMH" unless "MPH" is stored
void setSpeedUnitType(const QString &unit);
QString videoSound();
void setVideoSound(const QString &volume);
bool audioSwitch();
void setAudioSwitch(bool on);
// The window's place and size out of full screen; null when never stored.
QRect windowGeometry();
void setWindowGeometry(const QRect &geometry);
bool windowMaximized();
void setWindowMaximized(bool maximized);
QString lastRecording();
void setLastRecording(const QString &path);
} // namespace Preferences
