#include <QDir>
#include <QFile>
#include <QImage>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include "core/imagenamed.h"
#include "core/mlanguagemanager.h"

namespace {
// Keys and texts of a Linguist source, context "Trava".
QMap<QString, QString> readTable(const QString &path)
{
    QMap<QString, QString> table;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return table;
    QXmlStreamReader xml(&f);
    QString context, source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation") && context == QLatin1String("Trava"))
            table.insert(source, xml.readElementText());
    }
    return table;
}

// Every key the program looks up somewhere.
const QStringList &usedKeys()
{
    static const QStringList keys{
        "About", "AveSpeed", "Basic.settings", "Cancel", "Cannot.find.the.file.under.the.path", "Close",
        "Delete", "Distance", "Failed.to.detect", "File", "File.name", "Hide", "Hide.Others", "Lat", "Lon",
        "Monitoring.and.Upgrading", "OK", "Open", "Prompt", "Quit", "Show.All", "Software.service",
        "Speed.unit", "Tech.Support", "The.Company", "The.latest.version", "To.upgrade", "TopSpeed",
        "Version", "Web", "language", "the.First.one", "the.Last.one",
        // captions of the dashboard's own
        "Compass", "G.sensor", "Map", "Media.list", "Settings", "Speed",
        // the Playback menu, File -> Open Folder and the reading overlay
        "Playback", "Play.Pause", "Stop", "Previous", "Next", "Back.5.s", "Forward.5.s", "Back.30.s",
        "Forward.30.s", "Louder", "Quieter", "Faster", "Slower", "Normal.speed", "Full.screen",
        "Leave.full.screen", "Open.Folder", "Reading.telemetry"};
    return keys;
}
} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void everyKeyHasATextInEveryTable()
    {
        const QMap<QString, QString> english = readTable(QStringLiteral(TRAVA_TS_DIR "/trava_en.ts"));
        QVERIFY(!english.isEmpty());
        for (const QString &code : MLanguageManager::languageCodes()) {
            const QMap<QString, QString> table = readTable(QStringLiteral(TRAVA_TS_DIR "/trava_%1.ts").arg(code));
            QCOMPARE(table.keys(), english.keys());
            for (const QString &key : usedKeys()) {
                QVERIFY2(table.contains(key), qPrintable(code + " lacks " + key));
                QVERIFY2(!table.value(key).trimmed().isEmpty(), qPrintable(code + " has no text for " + key));
            }
            // The compiled table in the program answers every key too.
            QTranslator t;
            QVERIFY(t.load(QStringLiteral(":/i18n/trava_%1.qm").arg(code)));
            for (const QString &key : english.keys())
                QCOMPARE(t.translate("Trava", key.toUtf8().constData()), table.value(key));
        }
    }

    void tablesAreReallyTranslated()
    {
        // Catches a language file that is a copy of another: most texts must differ.
        const QMap<QString, QString> en = readTable(QStringLiteral(TRAVA_TS_DIR "/trava_en.ts"));
        for (const char *code : {"ja", "fr", "de"}) {
            const QMap<QString, QString> t = readTable(QStringLiteral(TRAVA_TS_DIR "/trava_%1.ts").arg(QLatin1String(code)));
            int same = 0;
            for (auto it = en.cbegin(); it != en.cend(); ++it)
                same += t.value(it.key()) == it.value();
            QVERIFY2(same * 4 < en.size(), qPrintable(QStringLiteral("%1: %2 texts equal English").arg(code).arg(same)));
        }
    }

    void namedPicturesRender_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *n : {"timg", "play", "pause", "stop", "previous", "next", "audioON", "audioOff", "转速表", "指南针", "指南针指针",
                              "trava-player", "settings"})
            QTest::newRow(n) << QString::fromUtf8(n);
    }
    void namedPicturesRender()
    {
        QFETCH(QString, name);
        QVERIFY(imageExists(name));
        QVERIFY(imageNaturalSize(name).isValid());
        const QImage img = imageNamed(name, QSize(64, 64));
        QVERIFY(!img.isNull());
        int opaque = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                opaque += qAlpha(img.pixel(x, y)) > 0;
        QVERIFY2(opaque > 64, qPrintable(name + " draws almost nothing"));
    }

    void missingPictureGivesNothing()
    {
        QVERIFY(!imageExists(QStringLiteral("no-such-picture")));
        QVERIFY(imageNamed(QStringLiteral("no-such-picture"), QSize(10, 10)).isNull());
    }

    void compassPointerRestsPointingWest()
    {
        // The red tip is at the left (west) end, the light tail at the right.
        const QImage img = imageNamed(QString::fromUtf8("指南针指针"), QSize(200, 200));
        const QColor tip = img.pixelColor(35, 100);
        const QColor tail = img.pixelColor(165, 100);
        QVERIFY2(tip.red() > 180 && tip.green() < 120, qPrintable(tip.name()));
        QVERIFY2(tail.red() > 150 && tail.green() > 150 && tail.blue() > 150, qPrintable(tail.name()));
        // Nothing above or below the needle's ends: it lies along the horizontal.
        QCOMPARE(qAlpha(img.pixel(100, 20)), 0);
        QCOMPARE(qAlpha(img.pixel(100, 180)), 0);
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
