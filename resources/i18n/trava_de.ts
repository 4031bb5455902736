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
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>File.name</source>
        <translation>Dateiname</translation>
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
        <source>Lon</source>
        <translation>Länge</translation>
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
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen…</translation>
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
        <source>Previous</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>%@ beenden</translation>
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
</context>
</TS>
