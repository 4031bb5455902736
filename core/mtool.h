#pragma once
// Small application-wide helpers: the modal alert, the version text and the program name.
#include <QString>
#include <QStringList>
#include <functional>

#include "track/gpsitem.h"

class QWidget;

class MTool {
public:
    // Who shows a modal alert (title, text, button titles) and answers 1000 for the first
    // button: showAlert() in the program, a stand-in in tests.
    using AlertHandler = std::function<int(const QString &, const QString &, const QStringList &)>;

    // First response code of showAlert(); each further button adds one.
    static constexpr int kFirstButtonReturn = 1000;

    // Runs a warning alert modally with one button per title, in order, and returns
    // 1000 for the first button, 1001 for the second, and so on. Closing the alert
    // without a button (Escape, window close) answers as the last button does, so a
    // caller never sees a code that no button has. With no titles at all an "OK"
    // button is added so the user is never stuck in an alert without a way out.
    static int showAlert(const QString &title, const QString &content, const QStringList &buttonTitles,
                         QWidget *parent = nullptr);

    // A recording the program opens: its name ends in ".mp4", ".mov" or ".ts", all in
    // lower or all in upper case. The open dialog's filter lists the same endings.
    static bool isRecordingPath(const QString &path);
    static QStringList recordingNamePatterns(); // "*.mp4", "*.mov", ...

    // "v" followed by the application version ("v1.0.0").
    static QString currentVersion();
    // The application name, or "TRAVA PLAYER" when none is set.
    static QString currentBundleName();

    // The track of the telemetry service's sample lines (UTF-8), positions shown on the
    // map datum; a null track for no lines.
    static Track decodeGpsData(const QStringList &lines);
};
