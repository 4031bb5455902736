#pragma once
// The per-user preferences the views share, under their stored key names.
#include <QString>

inline constexpr char kSelectLanguage[] = "kSelectLanguage"; // "en", "ja", "fr", "de"
inline constexpr char kSpeedUnitType[] = "kSpeedUnitType";   // "KMH" or "MPH"
inline constexpr char kVideoSound[] = "kVideoSound";         // volume as a string, default "16"
inline constexpr char kAudioSwitch[] = "kAudioSwitch";       // bool, default true

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
} // namespace Preferences
