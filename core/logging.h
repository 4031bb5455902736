#pragma once
// One logging category per subsystem, so a user chasing a problem can switch on just the
// part they need. Each is defined in its own subsystem's library; this header only
// declares them, so a library that never logs to a category does not link it.
//   trava.playback  engine, frame path, play states   (playback/)
//   trava.map       tiles and offline maps            (instruments/map/)
//   trava.list      media list and its store          (library/)
//   trava.sync      telemetry hand-over to the gauges (app/playbacksync)
//   trava.net       HTTP downloads, update check      (net/)
//   trava.service   telemetry extraction worker       (service/)
//   trava.app       window, menus, main view          (app/)
// Debug lines are off by default (applyDefaultLogRules); QT_LOGGING_RULES="trava.*.debug=true"
// turns them on. The few milestone lines an operator greps the system log for ("Stop Video",
// "------------->kalGps start decode" and "------------->kalGps exit", "-----cancel",
// "applicationDidFinishLaunching", "mmp") are info lines and so are written by default.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
Q_DECLARE_LOGGING_CATEGORY(lcMap)
Q_DECLARE_LOGGING_CATEGORY(lcList)
Q_DECLARE_LOGGING_CATEGORY(lcSync)
Q_DECLARE_LOGGING_CATEGORY(lcNet)
Q_DECLARE_LOGGING_CATEGORY(lcService)
Q_DECLARE_LOGGING_CATEGORY(lcApp)

// Turns the debug lines of every trava.* category off, unless the user set QT_LOGGING_RULES
// (then those rules alone decide). The player calls it first thing in main().
void applyDefaultLogRules();
