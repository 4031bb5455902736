<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Trava</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>AveSpeed</source>
        <translation>Ø-Geschw.</translation>
    </message>
    <message>
        <source>Back.30.s</source>
        <translation>30 s zurück</translation>
    </message>
    <message>
        <source>Back.5.s</source>
        <translation>5 s zurück</translation>
    </message>
    <message>
        <source>Basic.settings</source>
        <translation>Grundeinstellungen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Cannot.find.the.file.under.the.path</source>
        <translation>Die Datei wurde unter ihrem Pfad nicht gefunden. Sie wird aus der Liste entfernt.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Compass</source>
        <translation>Kompass</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>Strecke</translation>
    </message>
    <message>
        <source>Failed.to.detect</source>
        <translation>Die Suche nach Aktualisierungen ist fehlgeschlagen. Bitte prüfen Sie die Netzwerkverbindung und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Faster</source>
        <translation>Schneller</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>File.name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Forward.30.s</source>
        <translation>30 s vor</translation>
    </message>
    <message>
        <source>Forward.5.s</source>
        <translation>5 s vor</translation>
    </message>
    <message>
        <source>Full.screen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>G.sensor</source>
        <translation>G-Sensor</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>%@ ausblenden</translation>
    </message>
    <message>
        <source>Hide.Others</source>
        <translation>Andere ausblenden</translation>
    </message>
    <message>
        <source>Lat</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Leave.full.screen</source>
        <translation>Vollbild beenden</translation>
    </message>
    <message>
        <source>Lon</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Louder</source>
        <translation>Lauter</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Karte</translation>
    </message>
    <message>
        <source>Map.cannotOpen</source>
        <translation>Diese Offline-Kartendatei lässt sich nicht öffnen.</translation>
    </message>
    <message>
        <source>Map.chooseFile</source>
        <translation>Offline-Kartendatei…</translation>
    </message>
    <message>
        <source>Map.noTiles</source>
        <translation>Keine Offline-Karte für dieses Gebiet</translation>
    </message>
    <message>
        <source>Map.offline</source>
        <translation>Karte offline: nur die Route</translation>
    </message>
    <message>
        <source>Media.list</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Monitoring.and.Upgrading</source>
        <translation>Nach Updates suchen</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Normal.speed</source>
        <translation>Normale Geschwindigkeit</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen…</translation>
    </message>
    <message>
        <source>Open.Folder</source>
        <translation>Ordner öffnen…</translation>
    </message>
    <message>
        <source>Play.Pause</source>
        <translation>Wiedergabe/Pause</translation>
    </message>
    <message>
        <source>Play.speed</source>
        <translation>Tempo %@×</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Wiedergabe</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Quieter</source>
        <translation>Leiser</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>%@ beenden</translation>
    </message>
    <message>
        <source>Reading.telemetry</source>
        <translation>Fahrdaten werden gelesen…</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Show.All</source>
        <translation>Alle einblenden</translation>
    </message>
    <message>
        <source>Slower</source>
        <translation>Langsamer</translation>
    </message>
    <message>
        <source>Software.service</source>
        <translation>Software-Service</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Ton ein/aus</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Tempo</translation>
    </message>
    <message>
        <source>Speed.unit</source>
        <translation>Geschwindigkeitseinheit</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Tech.Support</source>
        <translation>Support: support@trava-player.example.org</translation>
    </message>
    <message>
        <source>The.Company</source>
        <translation>Die Entwickler von Trava Player</translation>
    </message>
    <message>
        <source>The.latest.version</source>
        <translation>Sie verwenden die neueste Version.</translation>
    </message>
    <message>
        <source>To.upgrade</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>TopSpeed</source>
        <translation>Höchstgeschw.</translation>
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
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>Web</source>
        <translation>Web: trava-player.example.org</translation>
    </message>
    <message>
        <source>language</source>
        <translation>Sprache</translation>
    </message>
    <message>
        <source>the.First.one</source>
        <translation>Dies ist bereits die erste Aufnahme der Liste.</translation>
    </message>
    <message>
        <source>the.Last.one</source>
        <translation>Dies ist bereits die letzte Aufnahme der Liste.</translation>
    </message>
    <message>
        <source>Event.brake</source>
        <translation>Starkes Bremsen</translation>
    </message>
    <message>
        <source>Event.accel</source>
        <translation>Starkes Beschleunigen</translation>
    </message>
    <message>
        <source>Event.turn</source>
        <translation>Scharfe Kurve</translation>
    </message>
    <message>
        <source>Event.impact</source>
        <translation>Aufprall</translation>
    </message>
    <message>
        <source>Event.next</source>
        <translation>Nächstes Ereignis</translation>
    </message>
    <message>
        <source>Event.previous</source>
        <translation>Vorheriges Ereignis</translation>
    </message>
    <message>
        <source>Event.sensitivity</source>
        <translation>Ereignis-Empfindlichkeit</translation>
    </message>
    <message>
        <source>Event.low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Event.normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Event.high</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Snapshot.save</source>
        <translation>Schnappschuss speichern</translation>
    </message>
    <message>
        <source>Snapshot.copy</source>
        <translation>Schnappschuss kopieren</translation>
    </message>
    <message>
        <source>Snapshot.saved</source>
        <translation>Schnappschuss gespeichert:</translation>
    </message>
    <message>
        <source>Snapshot.copied</source>
        <translation>Schnappschuss in die Zwischenablage kopiert</translation>
    </message>
    <message>
        <source>Snapshot.nothing</source>
        <translation>Kein Bild zum Speichern</translation>
    </message>
    <message>
        <source>Snapshot.failed</source>
        <translation>Schnappschuss konnte nicht gespeichert werden:</translation>
    </message>
    <message>
        <source>Snapshot.stamp</source>
        <translation>Daten einblenden</translation>
    </message>
    <message>
        <source>Snapshot.dashboard</source>
        <translation>Mit Armaturen</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.off</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.under</source>
        <translation>Unter dem Bild</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.over</source>
        <translation>Über dem Bild</translation>
    </message>
    <message>
        <source>Snapshot.folder</source>
        <translation>Ordner für Schnappschüsse</translation>
    </message>
    <message>
        <source>Incident.settings</source>
        <translation>Schnappschüsse und Ereignisse</translation>
    </message>
    <message>
        <source>Trip.whole</source>
        <translation>Fahrt (%1 Dateien)</translation>
    </message>
    <message>
        <source>Trip.part</source>
        <translation>Datei %1 von %2</translation>
    </message>
    <message>
        <source>Trip.top</source>
        <translation>max.</translation>
    </message>
    <message>
        <source>Export.menu</source>
        <translation>Strecke exportieren…</translation>
    </message>
    <message>
        <source>Export.title</source>
        <translation>Strecke exportieren</translation>
    </message>
    <message>
        <source>Export.recording</source>
        <translation>Diese Aufnahme</translation>
    </message>
    <message>
        <source>Export.trip</source>
        <translation>Ganze Fahrt (%1 Aufnahmen)</translation>
    </message>
    <message>
        <source>Export.what</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Export.format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Export.datum</source>
        <translation>Koordinaten</translation>
    </message>
    <message>
        <source>Export.wgs84</source>
        <translation>WGS-84 (wie aufgezeichnet)</translation>
    </message>
    <message>
        <source>Export.gcj02</source>
        <translation>GCJ-02 (Karten Chinas)</translation>
    </message>
    <message>
        <source>Export.ok</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Export.saved</source>
        <translation>Strecke exportiert:</translation>
    </message>
    <message>
        <source>Export.failed</source>
        <translation>Schreiben nicht möglich:</translation>
    </message>
    <message>
        <source>Export.noTelemetry</source>
        <translation>Keine Telemetrie zum Exportieren</translation>
    </message>
    <message>
        <source>Export.nothing</source>
        <translation>Zuerst eine Aufnahme abspielen</translation>
    </message>
    <message>
        <source>Camera.menu</source>
        <translation>Mit Kamera verbinden…</translation>
    </message>
    <message>
        <source>Camera.address.title</source>
        <translation>Mit Kamera verbinden</translation>
    </message>
    <message>
        <source>Camera.address.label</source>
        <translation>Adresse der Kamera (zuerst mit ihrem WLAN verbinden):</translation>
    </message>
    <message>
        <source>Camera.header</source>
        <translation>Kamera %1</translation>
    </message>
    <message>
        <source>Camera.listing</source>
        <translation>Liste der Kamera wird gelesen…</translation>
    </message>
    <message>
        <source>Camera.failed</source>
        <translation>Die Kamera kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Camera.refused</source>
        <translation>Abgewiesene Namen: %1</translation>
    </message>
    <message>
        <source>Camera.reading</source>
        <translation>Telemetrie wird gelesen…</translation>
    </message>
    <message>
        <source>Camera.waiting</source>
        <translation>wartet</translation>
    </message>
    <message>
        <source>Camera.stream</source>
        <translation>Transportstrom: muss ganz gelesen werden, zuletzt</translation>
    </message>
    <message>
        <source>Camera.none</source>
        <translation>keine Telemetrie</translation>
    </message>
    <message>
        <source>Camera.unreadable</source>
        <translation>Kamera antwortet nicht mehr</translation>
    </message>
    <message>
        <source>Camera.summary</source>
        <translation>%1 s · max. %2 km/h · %3 km · %4 heftige Ereignisse</translation>
    </message>
    <message>
        <source>Camera.download</source>
        <translation>Auswahl herunterladen…</translation>
    </message>
    <message>
        <source>Camera.events</source>
        <translation>Alle Ereignisse herunterladen…</translation>
    </message>
    <message>
        <source>Camera.locked</source>
        <translation>Alle geschützten herunterladen…</translation>
    </message>
    <message>
        <source>Camera.cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Camera.folder</source>
        <translation>Herunterladen nach</translation>
    </message>
    <message>
        <source>Camera.noneOfKind</source>
        <translation>Keine Aufnahmen dieser Art aufgeführt</translation>
    </message>
    <message>
        <source>Camera.downloaded</source>
        <translation>heruntergeladen</translation>
    </message>
    <message>
        <source>Camera.done</source>
        <translation>%1 heruntergeladen, %2 fehlgeschlagen</translation>
    </message>
    <message>
        <source>Clock.section</source>
        <translation>Zeitzone</translation>
    </message>
    <message>
        <source>Clock.folder</source>
        <translation>Zeiten von %1:</translation>
    </message>
    <message>
        <source>Clock.recorded</source>
        <translation>Wie aufgezeichnet</translation>
    </message>
    <message>
        <source>Clock.automatic</source>
        <translation>Automatisch (Uhr der Kamera)</translation>
    </message>
    <message>
        <source>Clock.offset</source>
        <translation>Uhr der Kamera: %1, Abweichung %2</translation>
    </message>
    <message>
        <source>Clock.localAsUtc</source>
        <translation>Name und Telemetrie stimmen sekundengenau überein: Diese Kamera schreibt womöglich Ortszeit statt UTC. Die Zeiten werden nicht korrigiert.</translation>
    </message>
    <message>
        <source>Track.load</source>
        <translation>Strecke laden…</translation>
    </message>
    <message>
        <source>Track.forRecording</source>
        <translation>Für diese Aufnahme</translation>
    </message>
    <message>
        <source>Track.forTrip</source>
        <translation>Für die ganze Fahrt</translation>
    </message>
    <message>
        <source>Track.prefer</source>
        <translation>Geladene Strecke verwenden</translation>
    </message>
    <message>
        <source>Track.unload</source>
        <translation>Geladene Strecke entfernen</translation>
    </message>
    <message>
        <source>Track.earlier1</source>
        <translation>Strecke 1 s früher</translation>
    </message>
    <message>
        <source>Track.later1</source>
        <translation>Strecke 1 s später</translation>
    </message>
    <message>
        <source>Track.earlier01</source>
        <translation>Strecke 0,1 s früher</translation>
    </message>
    <message>
        <source>Track.later01</source>
        <translation>Strecke 0,1 s später</translation>
    </message>
    <message>
        <source>Track.offset</source>
        <translation>Strecke %1</translation>
    </message>
    <message>
        <source>Track.failed</source>
        <translation>Die Strecke konnte nicht geladen werden:</translation>
    </message>
    <message>
        <source>Track.noOverlap</source>
        <translation>Strecke und Aufnahme überschneiden sich zeitlich nicht.</translation>
    </message>
    <message>
        <source>Track.trimmed</source>
        <translation>%1 Punkte der Datei wurden ausgelassen (ungültige Position, ohne Zeit oder außer der Reihe).</translation>
    </message>
    <message>
        <source>Clip.markIn</source>
        <translation>In-Punkt setzen</translation>
    </message>
    <message>
        <source>Clip.markOut</source>
        <translation>Out-Punkt setzen</translation>
    </message>
    <message>
        <source>Clip.clearMarks</source>
        <translation>Markierungen löschen</translation>
    </message>
    <message>
        <source>Clip.menu</source>
        <translation>Clip exportieren…</translation>
    </message>
    <message>
        <source>Clip.title</source>
        <translation>Clip exportieren</translation>
    </message>
    <message>
        <source>Clip.range</source>
        <translation>Bereich</translation>
    </message>
    <message>
        <source>Clip.range.marks</source>
        <translation>Zwischen den Markierungen</translation>
    </message>
    <message>
        <source>Clip.range.event</source>
        <translation>Dieses Ereignis ±15 s</translation>
    </message>
    <message>
        <source>Clip.range.recording</source>
        <translation>Die ganze Aufnahme</translation>
    </message>
    <message>
        <source>Clip.range.trip</source>
        <translation>Die ganze Fahrt (%1 Dateien)</translation>
    </message>
    <message>
        <source>Clip.channels</source>
        <translation>Kanäle</translation>
    </message>
    <message>
        <source>Clip.channels.shown</source>
        <translation>Der gezeigte Kanal</translation>
    </message>
    <message>
        <source>Clip.channels.all</source>
        <translation>Alle Kanäle der Gruppe (%1)</translation>
    </message>
    <message>
        <source>Clip.kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Clip.kind.original</source>
        <translation>Original (verlustfrei)</translation>
    </message>
    <message>
        <source>Clip.kind.dashboard</source>
        <translation>Mit Armaturenbrett</translation>
    </message>
    <message>
        <source>Clip.widgets</source>
        <translation>Armaturenbrett</translation>
    </message>
    <message>
        <source>Clip.widget.speed</source>
        <translation>Geschwindigkeit</translation>
    </message>
    <message>
        <source>Clip.widget.dial</source>
        <translation>Tacho</translation>
    </message>
    <message>
        <source>Clip.widget.time</source>
        <translation>Datum und Uhrzeit</translation>
    </message>
    <message>
        <source>Clip.widget.position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Clip.widget.compass</source>
        <translation>Kompass</translation>
    </message>
    <message>
        <source>Clip.widget.gsensor</source>
        <translation>G-Sensor-Kurve</translation>
    </message>
    <message>
        <source>Clip.widget.route</source>
        <translation>Route mit Markierung</translation>
    </message>
    <message>
        <source>Clip.place</source>
        <translation>Platz</translation>
    </message>
    <message>
        <source>Clip.place.under</source>
        <translation>Band unter dem Bild</translation>
    </message>
    <message>
        <source>Clip.place.over</source>
        <translation>Band über dem Bild</translation>
    </message>
    <message>
        <source>Clip.place.corner</source>
        <translation>Ecke</translation>
    </message>
    <message>
        <source>Clip.layout</source>
        <translation>Anordnung</translation>
    </message>
    <message>
        <source>Clip.layout.main</source>
        <translation>Hauptkanal</translation>
    </message>
    <message>
        <source>Clip.layout.pip</source>
        <translation>Bild im Bild</translation>
    </message>
    <message>
        <source>Clip.layout.side</source>
        <translation>Nebeneinander</translation>
    </message>
    <message>
        <source>Clip.layout.grid</source>
        <translation>Raster</translation>
    </message>
    <message>
        <source>Clip.unit</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <source>Clip.evidence</source>
        <translation>Beweispaket (Strecke, Prüfsummen, Bericht)</translation>
    </message>
    <message>
        <source>Clip.output</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Clip.choose</source>
        <translation>Wählen…</translation>
    </message>
    <message>
        <source>Clip.ok</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Clip.progress</source>
        <translation>Clip wird exportiert…</translation>
    </message>
    <message>
        <source>Clip.saved</source>
        <translation>Clip gespeichert:</translation>
    </message>
    <message>
        <source>Clip.failed</source>
        <translation>Clip nicht gespeichert:</translation>
    </message>
    <message>
        <source>Clip.unavailable</source>
        <translation>Clip-Export ist in dieser Ausgabe nicht verfügbar</translation>
    </message>
    <message>
        <source>Clip.busy</source>
        <translation>Ein Clip wird gerade exportiert</translation>
    </message>
    <message>
        <source>Clip.join.burnIn</source>
        <translation>Stattdessen einbrennen</translation>
    </message>
    <message>
        <source>Clip.join.refused</source>
        <translation>Diese Aufnahmen lassen sich nicht unverändert verbinden: %1</translation>
    </message>
    <message>
        <source>Camera.disconnect</source>
        <translation>Trennen</translation>
    </message>
    <message>
        <source>Camera.bar.download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Camera.bar.events</source>
        <translation>Alle Ereignisse</translation>
    </message>
    <message>
        <source>Camera.bar.locked</source>
        <translation>Alle gesperrten</translation>
    </message>
    <message>
        <source>Channel.layout</source>
        <translation>Anordnung</translation>
    </message>
    <message>
        <source>Channel.offset</source>
        <translation>Kanalversatz</translation>
    </message>
    <message>
        <source>Channel.pictureInPicture</source>
        <translation>Bild im Bild</translation>
    </message>
    <message>
        <source>Channel.sideBySide</source>
        <translation>Nebeneinander</translation>
    </message>
    <message>
        <source>Channel.grid</source>
        <translation>Raster</translation>
    </message>
    <message>
        <source>Channel.oneChannel</source>
        <translation>Nur ein Kanal</translation>
    </message>
    <message>
        <source>Channel.resetOffset</source>
        <translation>Kein Versatz</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Kanäle</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Ereignisse</translation>
    </message>
    <message>
        <source>Kind.all</source>
        <translation>Alle Arten</translation>
    </message>
    <message>
        <source>Kind.normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Kind.event</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>Kind.parking</source>
        <translation>Parken</translation>
    </message>
    <message>
        <source>Kind.locked</source>
        <translation>Gesperrt</translation>
    </message>
    <message>
        <source>Kind.manual</source>
        <translation>Manuell</translation>
    </message>
    <message>
        <source>Kind.unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Clock.fromContainer</source>
        <translation>Kamerauhr aus der Erstellungszeit der Datei gelesen</translation>
    </message>
    <message>
        <source>Clip.channels.composed</source>
        <translation>Im gewählten Layout zusammengesetzt</translation>
    </message>
    <message>
        <source>Clip.channels.separate</source>
        <translation>Jeder Kanal in eine eigene Datei</translation>
    </message>
    <message>
        <source>Report.title</source>
        <translation>Unfallbericht</translation>
    </message>
    <message>
        <source>Report.written</source>
        <translation>Erstellt am %1 mit Trava Player %2.</translation>
    </message>
    <message>
        <source>Report.clockNote</source>
        <translation>Die Zeiten sind die Uhrzeit der Kamera, wie aufgezeichnet, ohne Zeitzone.</translation>
    </message>
    <message>
        <source>Report.recordings</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Report.file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Report.recording</source>
        <translation>Aufnahme</translation>
    </message>
    <message>
        <source>Report.range</source>
        <translation>Abschnitt</translation>
    </message>
    <message>
        <source>Report.cameraRange</source>
        <translation>Abschnitt nach Kamerauhr</translation>
    </message>
    <message>
        <source>Report.noTelemetry</source>
        <translation>keine Telemetrie</translation>
    </message>
    <message>
        <source>Report.span</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>Report.end</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Report.seconds</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Report.fileAt</source>
        <translation>%1 bei %2</translation>
    </message>
    <message>
        <source>Report.clockInBrackets</source>
        <translation>(%1)</translation>
    </message>
    <message>
        <source>Report.from</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>Report.to</source>
        <translation>Bis</translation>
    </message>
    <message>
        <source>Report.samples</source>
        <translation>Messpunkte</translation>
    </message>
    <message>
        <source>Report.samplesCount</source>
        <translation>%1 (einer pro Sekunde)</translation>
    </message>
    <message>
        <source>Report.startPosition</source>
        <translation>Position zu Beginn</translation>
    </message>
    <message>
        <source>Report.peakPosition</source>
        <translation>Position beim Höchstwert</translation>
    </message>
    <message>
        <source>Report.positionAt</source>
        <translation>%1 um %2 (%3, Sekunde %4)</translation>
    </message>
    <message>
        <source>Report.noPosition</source>
        <translation>keine im Abschnitt</translation>
    </message>
    <message>
        <source>Report.topSpeed</source>
        <translation>Höchstgeschwindigkeit</translation>
    </message>
    <message>
        <source>Report.valueAt</source>
        <translation>%1 um %2</translation>
    </message>
    <message>
        <source>Report.averageSpeed</source>
        <translation>Durchschnittsgeschwindigkeit</translation>
    </message>
    <message>
        <source>Report.strongestG</source>
        <translation>Stärkster G-Wert</translation>
    </message>
    <message>
        <source>Report.gReading</source>
        <translation>%1 g (ohne Schwerkraft) um %2; Achsen wie aufgezeichnet x %3, y %4, z %5</translation>
    </message>
    <message>
        <source>Report.harshEvents</source>
        <translation>Auffällige Fahrereignisse im Abschnitt</translation>
    </message>
    <message>
        <source>Report.none</source>
        <translation>Keine.</translation>
    </message>
    <message>
        <source>Report.kind.brake</source>
        <translation>starkes Bremsen</translation>
    </message>
    <message>
        <source>Report.kind.accel</source>
        <translation>starkes Beschleunigen</translation>
    </message>
    <message>
        <source>Report.kind.turn</source>
        <translation>scharfe Kurve</translation>
    </message>
    <message>
        <source>Report.kind.impact</source>
        <translation>Aufprall</translation>
    </message>
    <message>
        <source>Report.kind.other</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>Report.fileSecond</source>
        <translation>%1, Sekunde %2</translation>
    </message>
    <message>
        <source>Report.route</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>Report.role.source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Report.role.clip</source>
        <translation>Clip</translation>
    </message>
    <message>
        <source>Report.role.track</source>
        <translation>Track</translation>
    </message>
    <message>
        <source>Report.checksumNote</source>
        <translation>Die Datei mit der Endung .sha256 neben diesem Bericht listet diese Dateien und den Bericht selbst auf; %1, in diesem Ordner ausgeführt, prüft sie.</translation>
    </message>
</context>
</TS>
