<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Trava</name>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>AveSpeed</source>
        <translation>Vitesse moy.</translation>
    </message>
    <message>
        <source>Back.30.s</source>
        <translation>Reculer de 30 s</translation>
    </message>
    <message>
        <source>Back.5.s</source>
        <translation>Reculer de 5 s</translation>
    </message>
    <message>
        <source>Basic.settings</source>
        <translation>Réglages de base</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Cannot.find.the.file.under.the.path</source>
        <translation>Le fichier est introuvable à cet emplacement. Il sera retiré de la liste.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Compass</source>
        <translation>Boussole</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>Distance</translation>
    </message>
    <message>
        <source>Failed.to.detect</source>
        <translation>Impossible de rechercher les mises à jour. Vérifiez votre connexion réseau et réessayez.</translation>
    </message>
    <message>
        <source>Faster</source>
        <translation>Plus vite</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>File.name</source>
        <translation>Nom du fichier</translation>
    </message>
    <message>
        <source>Forward.30.s</source>
        <translation>Avancer de 30 s</translation>
    </message>
    <message>
        <source>Forward.5.s</source>
        <translation>Avancer de 5 s</translation>
    </message>
    <message>
        <source>Full.screen</source>
        <translation>Plein écran</translation>
    </message>
    <message>
        <source>G.sensor</source>
        <translation>Accéléromètre</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Masquer %@</translation>
    </message>
    <message>
        <source>Hide.Others</source>
        <translation>Masquer les autres</translation>
    </message>
    <message>
        <source>Lat</source>
        <translation>Lat</translation>
    </message>
    <message>
        <source>Leave.full.screen</source>
        <translation>Quitter le plein écran</translation>
    </message>
    <message>
        <source>Lon</source>
        <translation>Lon</translation>
    </message>
    <message>
        <source>Louder</source>
        <translation>Plus fort</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Carte</translation>
    </message>
    <message>
        <source>Map.cannotOpen</source>
        <translation>Impossible d'ouvrir ce fichier de carte hors ligne.</translation>
    </message>
    <message>
        <source>Map.chooseFile</source>
        <translation>Fichier de carte hors ligne…</translation>
    </message>
    <message>
        <source>Map.noTiles</source>
        <translation>Pas de carte hors ligne pour cette zone</translation>
    </message>
    <message>
        <source>Map.offline</source>
        <translation>Carte hors ligne : itinéraire seul</translation>
    </message>
    <message>
        <source>Media.list</source>
        <translation>Enregistrements</translation>
    </message>
    <message>
        <source>Monitoring.and.Upgrading</source>
        <translation>Rechercher les mises à jour</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Normal.speed</source>
        <translation>Vitesse normale</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir…</translation>
    </message>
    <message>
        <source>Open.Folder</source>
        <translation>Ouvrir un dossier…</translation>
    </message>
    <message>
        <source>Play.Pause</source>
        <translation>Lecture/Pause</translation>
    </message>
    <message>
        <source>Play.speed</source>
        <translation>Vitesse %@×</translation>
    </message>
    <message>
        <source>Playback</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Précédent</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Quieter</source>
        <translation>Moins fort</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter %@</translation>
    </message>
    <message>
        <source>Reading.telemetry</source>
        <translation>Lecture des données de trajet…</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Réglages</translation>
    </message>
    <message>
        <source>Show.All</source>
        <translation>Tout afficher</translation>
    </message>
    <message>
        <source>Slower</source>
        <translation>Plus lentement</translation>
    </message>
    <message>
        <source>Software.service</source>
        <translation>Service logiciel</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Son activé/désactivé</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Vitesse</translation>
    </message>
    <message>
        <source>Speed.unit</source>
        <translation>Unité de vitesse</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêt</translation>
    </message>
    <message>
        <source>Tech.Support</source>
        <translation>Assistance : support@trava-player.example.org</translation>
    </message>
    <message>
        <source>The.Company</source>
        <translation>Les développeurs de Trava Player</translation>
    </message>
    <message>
        <source>The.latest.version</source>
        <translation>Vous utilisez la dernière version.</translation>
    </message>
    <message>
        <source>To.upgrade</source>
        <translation>Mettre à jour</translation>
    </message>
    <message>
        <source>TopSpeed</source>
        <translation>Vitesse max.</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version %@</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Vidéo</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Web</source>
        <translation>Site : trava-player.example.org</translation>
    </message>
    <message>
        <source>language</source>
        <translation>Langue</translation>
    </message>
    <message>
        <source>the.First.one</source>
        <translation>C'est déjà le premier enregistrement de la liste.</translation>
    </message>
    <message>
        <source>the.Last.one</source>
        <translation>C'est déjà le dernier enregistrement de la liste.</translation>
    </message>
    <message>
        <source>Event.brake</source>
        <translation>Freinage brusque</translation>
    </message>
    <message>
        <source>Event.accel</source>
        <translation>Accélération brusque</translation>
    </message>
    <message>
        <source>Event.turn</source>
        <translation>Virage serré</translation>
    </message>
    <message>
        <source>Event.impact</source>
        <translation>Choc</translation>
    </message>
    <message>
        <source>Event.next</source>
        <translation>Événement suivant</translation>
    </message>
    <message>
        <source>Event.previous</source>
        <translation>Événement précédent</translation>
    </message>
    <message>
        <source>Event.sensitivity</source>
        <translation>Sensibilité aux événements</translation>
    </message>
    <message>
        <source>Event.low</source>
        <translation>Basse</translation>
    </message>
    <message>
        <source>Event.normal</source>
        <translation>Normale</translation>
    </message>
    <message>
        <source>Event.high</source>
        <translation>Haute</translation>
    </message>
    <message>
        <source>Snapshot.save</source>
        <translation>Enregistrer une capture</translation>
    </message>
    <message>
        <source>Snapshot.copy</source>
        <translation>Copier la capture</translation>
    </message>
    <message>
        <source>Snapshot.saved</source>
        <translation>Capture enregistrée :</translation>
    </message>
    <message>
        <source>Snapshot.copied</source>
        <translation>Capture copiée dans le presse-papiers</translation>
    </message>
    <message>
        <source>Snapshot.nothing</source>
        <translation>Aucune image à enregistrer</translation>
    </message>
    <message>
        <source>Snapshot.failed</source>
        <translation>Impossible d'enregistrer la capture :</translation>
    </message>
    <message>
        <source>Snapshot.stamp</source>
        <translation>Incruster les infos</translation>
    </message>
    <message>
        <source>Snapshot.dashboard</source>
        <translation>Avec tableau de bord</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.off</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.under</source>
        <translation>Sous l’image</translation>
    </message>
    <message>
        <source>Snapshot.dashboard.over</source>
        <translation>Sur l’image</translation>
    </message>
    <message>
        <source>Snapshot.folder</source>
        <translation>Dossier des captures</translation>
    </message>
    <message>
        <source>Incident.settings</source>
        <translation>Captures et événements</translation>
    </message>
    <message>
        <source>Trip.whole</source>
        <translation>Trajet (%1 fichiers)</translation>
    </message>
    <message>
        <source>Trip.part</source>
        <translation>Fichier %1 sur %2</translation>
    </message>
    <message>
        <source>Trip.top</source>
        <translation>max.</translation>
    </message>
    <message>
        <source>Export.menu</source>
        <translation>Exporter le trajet…</translation>
    </message>
    <message>
        <source>Export.title</source>
        <translation>Exporter le trajet</translation>
    </message>
    <message>
        <source>Export.recording</source>
        <translation>Cet enregistrement</translation>
    </message>
    <message>
        <source>Export.trip</source>
        <translation>Trajet entier (%1 enregistrements)</translation>
    </message>
    <message>
        <source>Export.what</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>Export.format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Export.datum</source>
        <translation>Coordonnées</translation>
    </message>
    <message>
        <source>Export.wgs84</source>
        <translation>WGS-84 (tel qu'enregistré)</translation>
    </message>
    <message>
        <source>Export.gcj02</source>
        <translation>GCJ-02 (cartes de Chine)</translation>
    </message>
    <message>
        <source>Export.ok</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>Export.saved</source>
        <translation>Trajet exporté :</translation>
    </message>
    <message>
        <source>Export.failed</source>
        <translation>Écriture impossible :</translation>
    </message>
    <message>
        <source>Export.noTelemetry</source>
        <translation>Aucune télémétrie à exporter</translation>
    </message>
    <message>
        <source>Export.nothing</source>
        <translation>Lisez d'abord un enregistrement</translation>
    </message>
    <message>
        <source>Camera.menu</source>
        <translation>Se connecter à la caméra…</translation>
    </message>
    <message>
        <source>Camera.address.title</source>
        <translation>Se connecter à la caméra</translation>
    </message>
    <message>
        <source>Camera.address.label</source>
        <translation>Adresse de la caméra (rejoindre d'abord son Wi-Fi) :</translation>
    </message>
    <message>
        <source>Camera.header</source>
        <translation>Caméra %1</translation>
    </message>
    <message>
        <source>Camera.listing</source>
        <translation>Lecture de la liste de la caméra…</translation>
    </message>
    <message>
        <source>Camera.failed</source>
        <translation>Impossible de lire la caméra : %1</translation>
    </message>
    <message>
        <source>Camera.refused</source>
        <translation>Noms refusés : %1</translation>
    </message>
    <message>
        <source>Camera.reading</source>
        <translation>lecture de la télémétrie…</translation>
    </message>
    <message>
        <source>Camera.waiting</source>
        <translation>en attente</translation>
    </message>
    <message>
        <source>Camera.stream</source>
        <translation>flux de transport : lecture complète, en dernier</translation>
    </message>
    <message>
        <source>Camera.none</source>
        <translation>pas de télémétrie</translation>
    </message>
    <message>
        <source>Camera.unreadable</source>
        <translation>la caméra ne répond plus</translation>
    </message>
    <message>
        <source>Camera.summary</source>
        <translation>%1 s · max %2 km/h · %3 km · %4 événements brusques</translation>
    </message>
    <message>
        <source>Camera.download</source>
        <translation>Télécharger la sélection…</translation>
    </message>
    <message>
        <source>Camera.events</source>
        <translation>Télécharger tous les événements…</translation>
    </message>
    <message>
        <source>Camera.locked</source>
        <translation>Télécharger tous les verrouillés…</translation>
    </message>
    <message>
        <source>Camera.cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Camera.folder</source>
        <translation>Télécharger dans</translation>
    </message>
    <message>
        <source>Camera.noneOfKind</source>
        <translation>Aucun enregistrement de ce type</translation>
    </message>
    <message>
        <source>Camera.downloaded</source>
        <translation>téléchargé</translation>
    </message>
    <message>
        <source>Camera.done</source>
        <translation>%1 téléchargés, %2 échoués</translation>
    </message>
    <message>
        <source>Clock.section</source>
        <translation>Fuseau horaire</translation>
    </message>
    <message>
        <source>Clock.folder</source>
        <translation>Heures de %1 :</translation>
    </message>
    <message>
        <source>Clock.recorded</source>
        <translation>Telles qu'enregistrées</translation>
    </message>
    <message>
        <source>Clock.automatic</source>
        <translation>Automatique (horloge de la caméra)</translation>
    </message>
    <message>
        <source>Clock.offset</source>
        <translation>Horloge de la caméra : %1, écart %2</translation>
    </message>
    <message>
        <source>Clock.localAsUtc</source>
        <translation>Le nom et la télémétrie concordent à la seconde : cette caméra écrit peut-être l'heure locale à la place de l'UTC. Les heures ne sont pas corrigées.</translation>
    </message>
    <message>
        <source>Track.load</source>
        <translation>Charger une trace…</translation>
    </message>
    <message>
        <source>Track.forRecording</source>
        <translation>Pour cet enregistrement</translation>
    </message>
    <message>
        <source>Track.forTrip</source>
        <translation>Pour tout le trajet</translation>
    </message>
    <message>
        <source>Track.prefer</source>
        <translation>Utiliser la trace chargée</translation>
    </message>
    <message>
        <source>Track.unload</source>
        <translation>Retirer la trace chargée</translation>
    </message>
    <message>
        <source>Track.earlier1</source>
        <translation>Trace 1 s plus tôt</translation>
    </message>
    <message>
        <source>Track.later1</source>
        <translation>Trace 1 s plus tard</translation>
    </message>
    <message>
        <source>Track.earlier01</source>
        <translation>Trace 0,1 s plus tôt</translation>
    </message>
    <message>
        <source>Track.later01</source>
        <translation>Trace 0,1 s plus tard</translation>
    </message>
    <message>
        <source>Track.offset</source>
        <translation>Trace %1</translation>
    </message>
    <message>
        <source>Track.failed</source>
        <translation>Impossible de charger la trace :</translation>
    </message>
    <message>
        <source>Track.noOverlap</source>
        <translation>La trace et l'enregistrement ne se recouvrent pas dans le temps.</translation>
    </message>
    <message>
        <source>Track.trimmed</source>
        <translation>%1 points du fichier ont été écartés (position invalide, sans heure ou dans le désordre).</translation>
    </message>
    <message>
        <source>Clip.markIn</source>
        <translation>Marquer le début</translation>
    </message>
    <message>
        <source>Clip.markOut</source>
        <translation>Marquer la fin</translation>
    </message>
    <message>
        <source>Clip.clearMarks</source>
        <translation>Effacer les marques</translation>
    </message>
    <message>
        <source>Clip.menu</source>
        <translation>Exporter un extrait…</translation>
    </message>
    <message>
        <source>Clip.title</source>
        <translation>Exporter un extrait</translation>
    </message>
    <message>
        <source>Clip.range</source>
        <translation>Plage</translation>
    </message>
    <message>
        <source>Clip.range.marks</source>
        <translation>Entre les marques</translation>
    </message>
    <message>
        <source>Clip.range.event</source>
        <translation>Cet événement ±15 s</translation>
    </message>
    <message>
        <source>Clip.range.recording</source>
        <translation>Tout l’enregistrement</translation>
    </message>
    <message>
        <source>Clip.range.trip</source>
        <translation>Tout le trajet (%1 fichiers)</translation>
    </message>
    <message>
        <source>Clip.channels</source>
        <translation>Canaux</translation>
    </message>
    <message>
        <source>Clip.channels.shown</source>
        <translation>Le canal affiché</translation>
    </message>
    <message>
        <source>Clip.channels.all</source>
        <translation>Tous les canaux du groupe (%1)</translation>
    </message>
    <message>
        <source>Clip.kind</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Clip.kind.original</source>
        <translation>Original (sans perte)</translation>
    </message>
    <message>
        <source>Clip.kind.dashboard</source>
        <translation>Avec tableau de bord</translation>
    </message>
    <message>
        <source>Clip.widgets</source>
        <translation>Tableau de bord</translation>
    </message>
    <message>
        <source>Clip.widget.speed</source>
        <translation>Vitesse</translation>
    </message>
    <message>
        <source>Clip.widget.dial</source>
        <translation>Compteur</translation>
    </message>
    <message>
        <source>Clip.widget.time</source>
        <translation>Date et heure</translation>
    </message>
    <message>
        <source>Clip.widget.position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Clip.widget.compass</source>
        <translation>Boussole</translation>
    </message>
    <message>
        <source>Clip.widget.gsensor</source>
        <translation>Courbe G</translation>
    </message>
    <message>
        <source>Clip.widget.route</source>
        <translation>Itinéraire avec repère</translation>
    </message>
    <message>
        <source>Clip.place</source>
        <translation>Emplacement</translation>
    </message>
    <message>
        <source>Clip.place.under</source>
        <translation>Bande sous l’image</translation>
    </message>
    <message>
        <source>Clip.place.over</source>
        <translation>Bande sur l’image</translation>
    </message>
    <message>
        <source>Clip.place.corner</source>
        <translation>Coin</translation>
    </message>
    <message>
        <source>Clip.layout</source>
        <translation>Disposition</translation>
    </message>
    <message>
        <source>Clip.layout.main</source>
        <translation>Canal principal</translation>
    </message>
    <message>
        <source>Clip.layout.pip</source>
        <translation>Image dans l’image</translation>
    </message>
    <message>
        <source>Clip.layout.side</source>
        <translation>Côte à côte</translation>
    </message>
    <message>
        <source>Clip.layout.grid</source>
        <translation>Grille</translation>
    </message>
    <message>
        <source>Clip.unit</source>
        <translation>Unité</translation>
    </message>
    <message>
        <source>Clip.evidence</source>
        <translation>Dossier de preuve (trace, empreintes, rapport)</translation>
    </message>
    <message>
        <source>Clip.output</source>
        <translation>Enregistrer sous</translation>
    </message>
    <message>
        <source>Clip.choose</source>
        <translation>Choisir…</translation>
    </message>
    <message>
        <source>Clip.ok</source>
        <translation>Exporter</translation>
    </message>
    <message>
        <source>Clip.progress</source>
        <translation>Export de l’extrait…</translation>
    </message>
    <message>
        <source>Clip.saved</source>
        <translation>Extrait enregistré :</translation>
    </message>
    <message>
        <source>Clip.failed</source>
        <translation>Extrait non enregistré :</translation>
    </message>
    <message>
        <source>Clip.unavailable</source>
        <translation>L’export d’extraits n’est pas disponible dans cette version</translation>
    </message>
    <message>
        <source>Clip.busy</source>
        <translation>Un extrait est en cours d’export</translation>
    </message>
    <message>
        <source>Clip.join.burnIn</source>
        <translation>Incruster à la place</translation>
    </message>
    <message>
        <source>Clip.join.refused</source>
        <translation>Ces enregistrements ne peuvent pas être joints sans modification : %1</translation>
    </message>
    <message>
        <source>Camera.disconnect</source>
        <translation>Déconnecter</translation>
    </message>
    <message>
        <source>Camera.bar.download</source>
        <translation>Télécharger</translation>
    </message>
    <message>
        <source>Camera.bar.events</source>
        <translation>Tous les événements</translation>
    </message>
    <message>
        <source>Camera.bar.locked</source>
        <translation>Tous les verrouillés</translation>
    </message>
    <message>
        <source>Channel.layout</source>
        <translation>Disposition</translation>
    </message>
    <message>
        <source>Channel.offset</source>
        <translation>Décalage du canal</translation>
    </message>
    <message>
        <source>Channel.pictureInPicture</source>
        <translation>Image dans l'image</translation>
    </message>
    <message>
        <source>Channel.sideBySide</source>
        <translation>Côte à côte</translation>
    </message>
    <message>
        <source>Channel.grid</source>
        <translation>Grille</translation>
    </message>
    <message>
        <source>Channel.oneChannel</source>
        <translation>Un seul canal</translation>
    </message>
    <message>
        <source>Channel.resetOffset</source>
        <translation>Aucun décalage</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Canaux</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Événements</translation>
    </message>
    <message>
        <source>Kind.all</source>
        <translation>Tous les types</translation>
    </message>
    <message>
        <source>Kind.normal</source>
        <translation>Normale</translation>
    </message>
    <message>
        <source>Kind.event</source>
        <translation>Événement</translation>
    </message>
    <message>
        <source>Kind.parking</source>
        <translation>Stationnement</translation>
    </message>
    <message>
        <source>Kind.locked</source>
        <translation>Verrouillé</translation>
    </message>
    <message>
        <source>Kind.manual</source>
        <translation>Manuel</translation>
    </message>
    <message>
        <source>Kind.unknown</source>
        <translation>Inconnu</translation>
    </message>
    <message>
        <source>Clock.fromContainer</source>
        <translation>Horloge de la caméra lue dans la date de création du fichier</translation>
    </message>
    <message>
        <source>Clip.channels.composed</source>
        <translation>Composé dans la disposition choisie</translation>
    </message>
    <message>
        <source>Clip.channels.separate</source>
        <translation>Chaque canal dans son propre fichier</translation>
    </message>
    <message>
        <source>Report.title</source>
        <translation>Rapport d'incident</translation>
    </message>
    <message>
        <source>Report.written</source>
        <translation>Rédigé le %1 par Trava Player %2.</translation>
    </message>
    <message>
        <source>Report.clockNote</source>
        <translation>Les heures sont celles de l'horloge de la caméra telles qu'enregistrées, sans fuseau horaire.</translation>
    </message>
    <message>
        <source>Report.recordings</source>
        <translation>Enregistrements</translation>
    </message>
    <message>
        <source>Report.file</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>Report.recording</source>
        <translation>Enregistrement</translation>
    </message>
    <message>
        <source>Report.range</source>
        <translation>Plage</translation>
    </message>
    <message>
        <source>Report.cameraRange</source>
        <translation>Plage selon l'horloge de la caméra</translation>
    </message>
    <message>
        <source>Report.noTelemetry</source>
        <translation>pas de télémétrie</translation>
    </message>
    <message>
        <source>Report.span</source>
        <translation>de %1 à %2</translation>
    </message>
    <message>
        <source>Report.end</source>
        <translation>fin</translation>
    </message>
    <message>
        <source>Report.seconds</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Report.fileAt</source>
        <translation>%1 à %2</translation>
    </message>
    <message>
        <source>Report.clockInBrackets</source>
        <translation>(%1)</translation>
    </message>
    <message>
        <source>Report.from</source>
        <translation>Du</translation>
    </message>
    <message>
        <source>Report.to</source>
        <translation>Au</translation>
    </message>
    <message>
        <source>Report.samples</source>
        <translation>Échantillons</translation>
    </message>
    <message>
        <source>Report.samplesCount</source>
        <translation>%1 (un par seconde)</translation>
    </message>
    <message>
        <source>Report.startPosition</source>
        <translation>Position au début</translation>
    </message>
    <message>
        <source>Report.peakPosition</source>
        <translation>Position au pic</translation>
    </message>
    <message>
        <source>Report.positionAt</source>
        <translation>%1 à %2 (%3, seconde %4)</translation>
    </message>
    <message>
        <source>Report.noPosition</source>
        <translation>aucune dans la plage</translation>
    </message>
    <message>
        <source>Report.topSpeed</source>
        <translation>Vitesse maximale</translation>
    </message>
    <message>
        <source>Report.valueAt</source>
        <translation>%1 à %2</translation>
    </message>
    <message>
        <source>Report.averageSpeed</source>
        <translation>Vitesse moyenne</translation>
    </message>
    <message>
        <source>Report.strongestG</source>
        <translation>Accélération G maximale</translation>
    </message>
    <message>
        <source>Report.gReading</source>
        <translation>%1 g (gravité déduite) à %2 ; axes tels qu'enregistrés x %3, y %4, z %5</translation>
    </message>
    <message>
        <source>Report.harshEvents</source>
        <translation>Événements brusques dans la plage</translation>
    </message>
    <message>
        <source>Report.none</source>
        <translation>Aucun.</translation>
    </message>
    <message>
        <source>Report.kind.brake</source>
        <translation>freinage brusque</translation>
    </message>
    <message>
        <source>Report.kind.accel</source>
        <translation>accélération brusque</translation>
    </message>
    <message>
        <source>Report.kind.turn</source>
        <translation>virage serré</translation>
    </message>
    <message>
        <source>Report.kind.impact</source>
        <translation>choc</translation>
    </message>
    <message>
        <source>Report.kind.other</source>
        <translation>événement</translation>
    </message>
    <message>
        <source>Report.fileSecond</source>
        <translation>%1, seconde %2</translation>
    </message>
    <message>
        <source>Report.route</source>
        <translation>Itinéraire</translation>
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
        <translation>trace</translation>
    </message>
    <message>
        <source>Report.checksumNote</source>
        <translation>Le fichier se terminant par .sha256 à côté de ce rapport les liste, ainsi que le rapport lui-même ; %1 lancé dans ce dossier les vérifie.</translation>
    </message>
</context>
</TS>
