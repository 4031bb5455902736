#pragma once
// Preferences of the after-the-incident tools: snapshots, harsh-event sensitivity, the
// folders last used for snapshots and exports.
#include <QSettings>
#include <QStandardPaths>
#include <QString>

inline constexpr char kSnapshotStamp[] = "kSnapshotStamp";       // bool, default true
inline constexpr char kSnapshotFolder[] = "kSnapshotFolder";     // default: the Pictures folder
inline constexpr char kHarshSensitivity[] = "kHarshSensitivity"; // "low", "normal" (default), "high"
inline constexpr char kExportFolder[] = "kExportFolder";         // default: the Documents folder

namespace IncidentPreferences {
inline bool snapshotStamp() { return QSettings().value(kSnapshotStamp, true).toBool(); }
inline void setSnapshotStamp(bool on) { QSettings().setValue(kSnapshotStamp, on); }
inline QString snapshotFolder()
{
    const QString stored = QSettings().value(kSnapshotFolder).toString();
    return stored.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) : stored;
}
inline void setSnapshotFolder(const QString &folder) { QSettings().setValue(kSnapshotFolder, folder); }
inline QString harshSensitivity()
{
    const QString v = QSettings().value(kHarshSensitivity).toString();
    return v == QLatin1String("low") || v == QLatin1String("high") ? v : QStringLiteral("normal");
}
inline void setHarshSensitivity(const QString &name) { QSettings().setValue(kHarshSensitivity, name); }
inline QString exportFolder()
{
    const QString stored = QSettings().value(kExportFolder).toString();
    return stored.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) : stored;
}
inline void setExportFolder(const QString &folder) { QSettings().setValue(kExportFolder, folder); }
} // namespace IncidentPreferences
