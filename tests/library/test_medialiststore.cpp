#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "library/medialiststore.h"

class TestMediaListStore : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsOrderAndOddNames()
    {
        QTemporaryDir dir;
        MediaListStore store(dir.filePath("sub/mediaList"));
        const QList<MFileModel> records{{"a&b <1>.mp4", "/x/a&b <1>.mp4"}, {"日本.MOV", "/y/日本.MOV"}};
        QVERIFY(store.save(records));
        const QList<MFileModel> back = MediaListStore(store.path()).load();
        QCOMPARE(back.size(), 2);
        QCOMPARE(back[0].fName, QString("a&b <1>.mp4"));
        QCOMPARE(back[1].fLocalPath, QString("/y/日本.MOV"));
        // The file is a property list readers of the format understand.
        QFile f(store.path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("<plist version=\"1.0\">"));
        QVERIFY(text.contains("<key>fLocalPath</key>"));
    }

    void missingFileIsAnEmptyList()
    {
        QTemporaryDir dir;
        MediaListStore store(dir.filePath("mediaList"));
        QVERIFY(store.load().isEmpty());
        QVERIFY(store.lastSetAside().isEmpty());
        QVERIFY(!QFile::exists(store.path()));
    }

    void damagedFileIsSetAsideNotLost()
    {
        const QByteArray damaged[] = {
            "<plist><array><dict><key>fName</key><string>a",  // truncated
            "not xml at all",
            "<plist version=\"1.0\"><dict/></plist>",         // not an array
        };
        for (const QByteArray &content : damaged) {
            QTemporaryDir dir;
            const QString path = dir.filePath("mediaList");
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
            f.close();
            MediaListStore store(path);
            QVERIFY(store.load().isEmpty());
            QVERIFY2(!store.lastSetAside().isEmpty(), content.constData());
            QFile aside(store.lastSetAside());
            QVERIFY(aside.open(QIODevice::ReadOnly));
            QCOMPARE(aside.readAll(), content);
            QVERIFY(!QFile::exists(path));
            // A later save starts a fresh file beside the one set aside.
            QVERIFY(store.save({{"a.mp4", "/a.mp4"}}));
            QCOMPARE(MediaListStore(path).load().size(), 1);
        }
    }

    void externalEntitiesAreNeverRead()
    {
        const QByteArray text = "<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/hostname\">]><plist><array><dict>"
                                "<key>fLocalPath</key><string>/v/&e;.mp4</string></dict></array></plist>";
        QFile host("/etc/hostname");
        QVERIFY(host.open(QIODevice::ReadOnly));
        const QByteArray secret = host.readAll().trimmed();
        QList<MFileModel> records;
        MediaListStore::parse(text, &records);
        for (const MFileModel &m : records)
            QVERIFY(secret.isEmpty() || !m.fLocalPath.toUtf8().contains(secret));
    }

    void entriesWithoutPathOrRepeatedAreSkipped()
    {
        const QByteArray text =
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>"
            "<dict><key>fName</key><string>nopath.mp4</string></dict>"
            "<dict><key>fName</key><string>a.mp4</string><key>fLocalPath</key><string>/a.mp4</string>"
            "<key>extra</key><integer>3</integer></dict>"
            "<string>stray</string>"
            "<dict><key>fName</key><string>again.mp4</string><key>fLocalPath</key><string>/a.mp4</string></dict>"
            "<dict><key>fLocalPath</key><string>/b.ts</string></dict>"
            "</array></plist>";
        QList<MFileModel> records;
        QVERIFY(MediaListStore::parse(text, &records));
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].fName, QString("a.mp4"));
        QCOMPARE(records[1].fLocalPath, QString("/b.ts"));
    }

    void unwritablePlaceIsReportedNotFatal()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("notADir"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        MediaListStore store(dir.filePath("notADir/mediaList"));
        QVERIFY(!store.save({{"a.mp4", "/a.mp4"}}));
        // A directory where the file should be: no crash, no list, and nothing moved.
        QVERIFY(QDir(dir.path()).mkdir("mediaList"));
        MediaListStore odd(dir.filePath("mediaList"));
        QVERIFY(odd.load().isEmpty());
        QVERIFY(!odd.save({{"a.mp4", "/a.mp4"}}));
    }
};

QTEST_GUILESS_MAIN(TestMediaListStore)
#include "test_medialiststore.moc"
