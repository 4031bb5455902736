<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Trava</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>AveSpeed</source>
        <translation>Avg speed</translation>
    </message>
    <message>
        <source>Back.30.s</source>
        <translation>Back 30 s</translation>
    </message>
    <message>
        <source>Back.5.s</source>
        <translation>Back 5 s</translation>
    </message>
    <message>
        <source>Basic.settings</source>
        <translation>Basic settings</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Cannot.find.the.file.under.the.path</source>
        <translation>The file cannot be found at its path. It will be removed from the list.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Compass</source>
        <translation>Compass</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>Distance</translation>
    </message>
    <message>
        <source>Failed.to.detect</source>
        <translation>Could not check for updates. Please check your network connection and try again.</translation>
    </message>
    <message>
        <source>Faster</source>
        <translation>Faster</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>File.name</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>Forward.30.s</source>
        <translation>Forward 30 s</translation>
    </message>
    <message>
        <source>Forward.5.s</source>
        <translation>Forward 5 s</translation>
    </message>
    <message>
        <source>Full.screen</source>
        <translation>Full Screen</translation>
    </message>
    <message>
        <source>G.sensor</source>
        <translation>G-sensor</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Hide %@</translation>
    </message>
    <message>
        <source>Hide.Others</source>
        <translation>Hide Others</translation>
    </message>
    <message>
        <source>Lat</source>
        <translation>Lat</translation>
    </message>
    <message>
        <source>Leave.full.screen</source>
        <translation>Leave Full Screen</translation>
    </message>
    <message>
        <source>Lon</source>
        <translation>Lon</translation>
    </message>
    <message>
        <source>Louder</source>
        <translation>Louder</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>Map.cannotOpen</source>
        <translation>This offline map file cannot be opened.</translation>
    </message>
    <message>
        <source>Map.chooseFile</source>
        <translation>Offline map file…</translation>
    </message>
    <message>
        <source>Map.noTiles</source>
        <translation>No offline map for this area</translation>
    </message>
    <message>
        <source>Map.offline</source>
        <translation>Map offline: showing the route only</translation>
    </message>
    <message>
        <source>Media.list</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <source>Monitoring.and.Upgrading</source>
        <translation>Check for Updates</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>Normal.speed</source>
        <translation>Normal Speed</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open…</translation>
    </message>
    <message>
        <source>Open.Folder</source>
        <translation>Open Folder…</translation>
    </message>
    <message>
        <source>Play.Pause</source>
        <translation>Play/Pause</translation>
    </message>
    <message>
        <source>Play.speed</source>
        <translation>Speed %@×</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Playback</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>Quieter</source>
        <translation>Quieter</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quit %@</translation>
    </message>
    <message>
        <source>Reading.telemetry</source>
        <translation>Reading telemetry…</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Show.All</source>
        <translation>Show All</translation>
    </message>
    <message>
        <source>Slower</source>
        <translation>Slower</translation>
    </message>
    <message>
        <source>Software.service</source>
        <translation>Software service</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sound on/off</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Speed.unit</source>
        <translation>Speed unit</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Tech.Support</source>
        <translation>Support: support@trava-player.example.org</translation>
    </message>
    <message>
        <source>The.Company</source>
        <translation>Trava Player developers</translation>
    </message>
    <message>
        <source>The.latest.version</source>
        <translation>You are using the latest version.</translation>
    </message>
    <message>
        <source>To.upgrade</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>TopSpeed</source>
        <translation>Top speed</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version %@</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Web</source>
        <translation>Web: trava-player.example.org</translation>
    </message>
    <message>
        <source>language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>the.First.one</source>
        <translation>This is already the first recording in the list.</translation>
    </message>
    <message>
        <source>the.Last.one</source>
        <translation>This is already the last recording in the list.</translation>
    </message>
    <message>
        <source>Event.brake</source>
        <translation>Hard braking</translation>
    </message>
    <message>
        <source>Event.accel</source>
        <translation>Hard acceleration</translation>
    </message>
    <message>
        <source>Event.turn</source>
        <translation>Sharp turn</translation>
    </message>
    <message>
        <source>Event.impact</source>
        <translation>Impact</translation>
    </message>
    <message>
        <source>Event.next</source>
        <translation>Next event</translation>
    </message>
    <message>
        <source>Event.previous</source>
        <translation>Previous event</translation>
    </message>
    <message>
        <source>Event.sensitivity</source>
        <translation>Event sensitivity</translation>
    </message>
    <message>
        <source>Event.low</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>Event.normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Event.high</source>
        <translation>High</translation>
    </message>
    <message>
        <source>Snapshot.save</source>
        <translation>Save snapshot</translation>
    </message>
    <message>
        <source>Snapshot.copy</source>
        <translation>Copy snapshot</translation>
    </message>
    <message>
        <source>Snapshot.saved</source>
        <translation>Snapshot saved:</translation>
    </message>
    <message>
        <source>Snapshot.copied</source>
        <translation>Snapshot copied to the clipboard</translation>
    </message>
    <message>
        <source>Snapshot.nothing</source>
        <translation>No picture to save</translation>
    </message>
    <message>
        <source>Snapshot.failed</source>
        <translation>Could not save the snapshot:</translation>
    </message>
    <message>
        <source>Snapshot.stamp</source>
        <translation>Stamp on snapshots</translation>
    </message>
    <message>
        <source>Snapshot.dashboard</source>
        <translation>With dashboard</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.off</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.under</source>
        <translation>Under the picture</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.over</source>
        <translation>Over the picture</translation>
    </message>
    <message>
        <source>Snapshot.folder</source>
        <translation>Snapshot folder</translation>
    </message>
    <message>
        <source>Incident.settings</source>
        <translation>Snapshots and events</translation>
    </message>
    <message>
        <source>Trip.whole</source>
        <translation>Trip (%1 files)</translation>
    </message>
    <message>
        <source>Trip.part</source>
        <translation>File %1 of %2</translation>
    </message>
    <message>
        <source>Trip.top</source>
        <translation>top</translation>
    </message>
    <message>
        <source>Export.menu</source>
        <translation>Export Track…</translation>
    </message>
    <message>
        <source>Export.title</source>
        <translation>Export Track</translation>
    </message>
    <message>
        <source>Export.recording</source>
        <translation>This recording</translation>
    </message>
    <message>
        <source>Export.trip</source>
        <translation>Whole trip (%1 recordings)</translation>
    </message>
    <message>
        <source>Export.what</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Export.format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Export.datum</source>
        <translation>Coordinates</translation>
    </message>
    <message>
        <source>Export.wgs84</source>
        <translation>WGS-84 (as recorded)</translation>
    </message>
    <message>
        <source>Export.gcj02</source>
        <translation>GCJ-02 (maps of China)</translation>
    </message>
    <message>
        <source>Export.ok</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Export.saved</source>
        <translation>Track exported:</translation>
    </message>
    <message>
        <source>Export.failed</source>
        <translation>Could not write</translation>
    </message>
    <message>
        <source>Export.noTelemetry</source>
        <translation>No telemetry to export</translation>
    </message>
    <message>
        <source>Export.nothing</source>
        <translation>Play a recording first</translation>
    </message>
    <message>
        <source>Camera.menu</source>
        <translation>Connect to Camera…</translation>
    </message>
    <message>
        <source>Camera.address.title</source>
        <translation>Connect to Camera</translation>
    </message>
    <message>
        <source>Camera.address.label</source>
        <translation>Camera address (join the camera's Wi-Fi first):</translation>
    </message>
    <message>
        <source>Camera.header</source>
        <translation>Camera %1</translation>
    </message>
    <message>
        <source>Camera.listing</source>
        <translation>Reading the camera's list…</translation>
    </message>
    <message>
        <source>Camera.failed</source>
        <translation>The camera cannot be read: %1</translation>
    </message>
    <message>
        <source>Camera.refused</source>
        <translation>Names refused: %1</translation>
    </message>
    <message>
        <source>Camera.reading</source>
        <translation>reading telemetry…</translation>
    </message>
    <message>
        <source>Camera.waiting</source>
        <translation>waiting</translation>
    </message>
    <message>
        <source>Camera.stream</source>
        <translation>transport stream: needs a full read, read last</translation>
    </message>
    <message>
        <source>Camera.none</source>
        <translation>no telemetry</translation>
    </message>
    <message>
        <source>Camera.unreadable</source>
        <translation>camera stopped answering</translation>
    </message>
    <message>
        <source>Camera.summary</source>
        <translation>%1 s · top %2 km/h · %3 km · %4 harsh events</translation>
    </message>
    <message>
        <source>Camera.download</source>
        <translation>Download Selected…</translation>
    </message>
    <message>
        <source>Camera.events</source>
        <translation>Download All Events…</translation>
    </message>
    <message>
        <source>Camera.locked</source>
        <translation>Download All Locked…</translation>
    </message>
    <message>
        <source>Camera.cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Camera.folder</source>
        <translation>Download into</translation>
    </message>
    <message>
        <source>Camera.noneOfKind</source>
        <translation>No recordings of that kind are listed</translation>
    </message>
    <message>
        <source>Camera.downloaded</source>
        <translation>downloaded</translation>
    </message>
    <message>
        <source>Camera.done</source>
        <translation>%1 downloaded, %2 failed</translation>
    </message>
    <message>
        <source>Clock.section</source>
        <translation>Time zone</translation>
    </message>
    <message>
        <source>Clock.folder</source>
        <translation>Times of %1:</translation>
    </message>
    <message>
        <source>Clock.recorded</source>
        <translation>As recorded</translation>
    </message>
    <message>
        <source>Clock.automatic</source>
        <translation>Automatic (the camera's clock)</translation>
    </message>
    <message>
        <source>Clock.offset</source>
        <translation>Camera's clock: %1, off by %2</translation>
    </message>
    <message>
        <source>Clock.localAsUtc</source>
        <translation>Name and telemetry agree to the second: this camera may write local time where UTC belongs. Times are not corrected.</translation>
    </message>
    <message>
        <source>Track.load</source>
        <translation>Load Track…</translation>
    </message>
    <message>
        <source>Track.forRecording</source>
        <translation>For this recording</translation>
    </message>
    <message>
        <source>Track.forTrip</source>
        <translation>For the whole trip</translation>
    </message>
    <message>
        <source>Track.prefer</source>
        <translation>Use the Loaded Track</translation>
    </message>
    <message>
        <source>Track.unload</source>
        <translation>Remove the Loaded Track</translation>
    </message>
    <message>
        <source>Track.earlier1</source>
        <translation>Track 1 s Earlier</translation>
    </message>
    <message>
        <source>Track.later1</source>
        <translation>Track 1 s Later</translation>
    </message>
    <message>
        <source>Track.earlier01</source>
        <translation>Track 0.1 s Earlier</translation>
    </message>
    <message>
        <source>Track.later01</source>
        <translation>Track 0.1 s Later</translation>
    </message>
    <message>
        <source>Track.offset</source>
        <translation>Track %1</translation>
    </message>
    <message>
        <source>Track.failed</source>
        <translation>The track could not be loaded:</translation>
    </message>
    <message>
        <source>Track.noOverlap</source>
        <translation>The track and the recording do not meet in time.</translation>
    </message>
    <message>
        <source>Track.trimmed</source>
        <translation>%1 of the file's points were left out (no valid position, no time or out of order).</translation>
    </message>
    <message>
        <source>Clip.markIn</source>
        <translation>Mark In</translation>
    </message>
    <message>
        <source>Clip.markOut</source>
        <translation>Mark Out</translation>
    </message>
    <message>
        <source>Clip.clearMarks</source>
        <translation>Clear Marks</translation>
    </message>
    <message>
        <source>Clip.menu</source>
        <translation>Export Clip…</translation>
    </message>
    <message>
        <source>Clip.title</source>
        <translation>Export Clip</translation>
    </message>
    <message>
        <source>Clip.range</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>Clip.range.marks</source>
        <translation>Between the marks</translation>
    </message>
    <message>
        <source>Clip.range.event</source>
        <translation>This event ±15 s</translation>
    </message>
    <message>
        <source>Clip.range.recording</source>
        <translation>The whole recording</translation>
    </message>
    <message>
        <source>Clip.range.trip</source>
        <translation>The whole trip (%1 files)</translation>
    </message>
    <message>
        <source>Clip.channels</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Clip.channels.shown</source>
        <translation>The shown channel</translation>
    </message>
    <message>
        <source>Clip.channels.all</source>
        <translation>Every channel of the group (%1)</translation>
    </message>
    <message>
        <source>Clip.kind</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Clip.kind.original</source>
        <translation>Original (lossless)</translation>
    </message>
    <message>
        <source>Clip.kind.dashboard</source>
        <translation>With dashboard</translation>
    </message>
    <message>
        <source>Clip.widgets</source>
        <translation>Dashboard</translation>
    </message>
    <message>
        <source>Clip.widget.speed</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>Clip.widget.dial</source>
        <translation>Speed dial</translation>
    </message>
    <message>
        <source>Clip.widget.time</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>Clip.widget.position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Clip.widget.compass</source>
        <translation>Compass</translation>
    </message>
    <message>
        <source>Clip.widget.gsensor</source>
        <translation>G-sensor graph</translation>
    </message>
    <message>
        <source>Clip.widget.route</source>
        <translation>Route with marker</translation>
    </message>
    <message>
        <source>Clip.place</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>Clip.place.under</source>
        <translation>Band under the picture</translation>
    </message>
    <message>
        <source>Clip.place.over</source>
        <translation>Band over the picture</translation>
    </message>
    <message>
        <source>Clip.place.corner</source>
        <translation>Corner</translation>
    </message>
    <message>
        <source>Clip.layout</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>Clip.layout.main</source>
        <translation>Main channel</translation>
    </message>
    <message>
        <source>Clip.layout.pip</source>
        <translation>Picture in picture</translation>
    </message>
    <message>
        <source>Clip.layout.side</source>
        <translation>Side by side</translation>
    </message>
    <message>
        <source>Clip.layout.grid</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>Clip.unit</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Clip.evidence</source>
        <translation>Evidence package (track, hashes, report)</translation>
    </message>
    <message>
        <source>Clip.output</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>Clip.choose</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>Clip.ok</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Clip.progress</source>
        <translation>Exporting the clip…</translation>
    </message>
    <message>
        <source>Clip.saved</source>
        <translation>Clip saved:</translation>
    </message>
    <message>
        <source>Clip.failed</source>
        <translation>Clip not saved:</translation>
    </message>
    <message>
        <source>Clip.unavailable</source>
        <translation>Clip export is not available in this build</translation>
    </message>
    <message>
        <source>Clip.busy</source>
        <translation>A clip is being exported</translation>
    </message>
    <message>
        <source>Clip.join.burnIn</source>
        <translation>Burn In Instead</translation>
    </message>
    <message>
        <source>Clip.join.refused</source>
        <translation>These recordings cannot be joined unchanged: %1</translation>
    </message>
    <message>
        <source>Camera.disconnect</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Camera.bar.download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Camera.bar.events</source>
        <translation>All events</translation>
    </message>
    <message>
        <source>Camera.bar.locked</source>
        <translation>All locked</translation>
    </message>
    <message>
        <source>Channel.layout</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>Channel.offset</source>
        <translation>Channel offset</translation>
    </message>
    <message>
        <source>Channel.pictureInPicture</source>
        <translation>Picture in picture</translation>
    </message>
    <message>
        <source>Channel.sideBySide</source>
        <translation>Side by side</translation>
    </message>
    <message>
        <source>Channel.grid</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>Channel.oneChannel</source>
        <translation>One channel only</translation>
    </message>
    <message>
        <source>Channel.resetOffset</source>
        <translation>No offset</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>Kind.all</source>
        <translation>All kinds</translation>
    </message>
    <message>
        <source>Kind.normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Kind.event</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>Kind.parking</source>
        <translation>Parking</translation>
    </message>
    <message>
        <source>Kind.locked</source>
        <translation>Locked</translation>
    </message>
    <message>
        <source>Kind.manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Kind.unknown</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>Clock.fromContainer</source>
        <translation>Camera's clock read from the file's creation time</translation>
    </message>
    <message>
        <source>Clip.channels.composed</source>
        <translation>Composed in the chosen layout</translation>
    </message>
    <message>
        <source>Clip.channels.separate</source>
        <translation>Each channel to its own file</translation>
    </message>
    <message>
        <source>Report.title</source>
        <translation>Incident report</translation>
    </message>
    <message>
        <source>Report.written</source>
        <translation>Written %1 by Trava Player %2.</translation>
    </message>
    <message>
        <source>Report.clockNote</source>
        <translation>Times are the camera's clock as recorded, without a time zone.</translation>
    </message>
    <message>
        <source>Report.recordings</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <source>Report.file</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Report.recording</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>Report.range</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>Report.cameraRange</source>
        <translation>Range on the camera clock</translation>
    </message>
    <message>
        <source>Report.noTelemetry</source>
        <translation>no telemetry</translation>
    </message>
    <message>
        <source>Report.span</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>Report.end</source>
        <translation>end</translation>
    </message>
    <message>
        <source>Report.seconds</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Report.fileAt</source>
        <translation>%1 at %2</translation>
    </message>
    <message>
        <source>Report.clockInBrackets</source>
        <translation>(%1)</translation>
    </message>
    <message>
        <source>Report.from</source>
        <translation>From</translation>
    </message>
    <message>
        <source>Report.to</source>
        <translation>To</translation>
    </message>
    <message>
        <source>Report.samples</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>Report.samplesCount</source>
        <translation>%1 (one a second)</translation>
    </message>
    <message>
        <source>Report.startPosition</source>
        <translation>Position at the start</translation>
    </message>
    <message>
        <source>Report.peakPosition</source>
        <translation>Position at the peak</translation>
    </message>
    <message>
        <source>Report.positionAt</source>
        <translation>%1 at %2 (%3, second %4)</translation>
    </message>
    <message>
        <source>Report.noPosition</source>
        <translation>none in the range</translation>
    </message>
    <message>
        <source>Report.topSpeed</source>
        <translation>Top speed</translation>
    </message>
    <message>
        <source>Report.valueAt</source>
        <translation>%1 at %2</translation>
    </message>
    <message>
        <source>Report.averageSpeed</source>
        <translation>Average speed</translation>
    </message>
    <message>
        <source>Report.strongestG</source>
        <translation>Strongest G reading</translation>
    </message>
    <message>
        <source>Report.gReading</source>
        <translation>%1 g (gravity removed) at %2; axes as recorded x %3, y %4, z %5</translation>
    </message>
    <message>
        <source>Report.harshEvents</source>
        <translation>Harsh events in the range</translation>
    </message>
    <message>
        <source>Report.none</source>
        <translation>None.</translation>
    </message>
    <message>
        <source>Report.kind.brake</source>
        <translation>hard braking</translation>
    </message>
    <message>
        <source>Report.kind.accel</source>
        <translation>hard acceleration</translation>
    </message>
    <message>
        <source>Report.kind.turn</source>
        <translation>sharp turn</translation>
    </message>
    <message>
        <source>Report.kind.impact</source>
        <translation>impact</translation>
    </message>
    <message>
        <source>Report.kind.other</source>
        <translation>event</translation>
    </message>
    <message>
        <source>Report.fileSecond</source>
        <translation>%1, second %2</translation>
    </message>
    <message>
        <source>Report.route</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>Report.role.source</source>
        <translation>source</translation>
    </message>
    <message>
        <source>Report.role.clip</source>
        <translation>clip</translation>
    </message>
    <message>
        <source>Report.role.track</source>
        <translation>track</translation>
    </message>
    <message>
        <source>Report.checksumNote</source>
        <translation>The file ending in .sha256 beside this report lists these and the report itself; %1 run in this folder checks them.</translation>
    </message>
</context>
</TS>
