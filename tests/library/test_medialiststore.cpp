#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include "library/cardgrouping.h"
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

    // A card's moment comes back from a restart with its channels and kind; a lone file and
    // a list written before these fields existed read as they always did.
    void cardFieldsRoundTrip()
    {
        QTemporaryDir dir;
        MediaListStore store(dir.filePath("mediaList"));
        MFileModel moment{"2026_0514_091500_0001F.MP4", "/card/Movie/2026_0514_091500_0001F.MP4"};
        moment.channel = "front";
        moment.kind = "event";
        moment.otherChannels = {{"rear", "/card/Movie/2026_0514_091500_0001R.MP4"},
                                {"interior", "/card/Movie/a&b <I>.MP4"}};
        MFileModel rearOnly{"r.mp4", "/card/Rear/r.mp4"};
        rearOnly.channel = "rear";
        const MFileModel lone{"lone.mp4", "/lone.mp4"};
        QVERIFY(store.save({moment, rearOnly, lone}));
        const QList<MFileModel> back = MediaListStore(store.path()).load();
        QCOMPARE(back.size(), 3);
        QCOMPARE(back[0].channel, QString("front"));
        QCOMPARE(back[0].kind, QString("event"));
        QCOMPARE(back[0].otherChannels.size(), 2);
        QCOMPARE(back[0].otherChannels[0].channel, QString("rear"));
        QCOMPARE(back[0].otherChannels[0].fLocalPath, QString("/card/Movie/2026_0514_091500_0001R.MP4"));
        QCOMPARE(back[0].otherChannels[1].channel, QString("interior"));
        QCOMPARE(back[0].otherChannels[1].fLocalPath, QString("/card/Movie/a&b <I>.MP4"));
        QCOMPARE(back[1].channel, QString("rear"));
        QVERIFY(back[1].kind.isEmpty());
        QVERIFY(back[1].otherChannels.isEmpty());
        QVERIFY(back[2].channel.isEmpty() && back[2].kind.isEmpty() && back[2].otherChannels.isEmpty());
        // The lone file's entry is still the two keys it always was.
        QFile f(store.path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        const QByteArray loneEntry = text.mid(text.indexOf("<string>lone.mp4</string>"));
        QVERIFY(!loneEntry.left(loneEntry.indexOf("</dict>")).contains("<key>kind</key>"));

        // An old list (name and path only) and channel arrays where they do not belong.
        const QByteArray old =
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>"
            "<dict><key>fName</key><string>a.mp4</string><key>fLocalPath</key><string>/a.mp4</string></dict>"
            "<dict><key>fLocalPath</key><string>/b.mp4</string><key>other</key><array><dict>"
            "<key>fLocalPath</key><string>/x.mp4</string></dict></array>"
            "<key>otherChannels</key><array><string>stray</string><dict><key>channel</key><string>rear</string>"
            "<key>otherChannels</key><array><dict><key>fLocalPath</key><string>/deep.mp4</string></dict></array>"
            "</dict><dict><key>channel</key><string>rear</string><key>fLocalPath</key><string>/b-r.mp4</string>"
            "</dict></array></dict>"
            "</array></plist>";
        QList<MFileModel> records;
        QVERIFY(MediaListStore::parse(old, &records));
        QCOMPARE(records.size(), 2);
        QVERIFY(records[0].channel.isEmpty() && records[0].kind.isEmpty() && records[0].otherChannels.isEmpty());
        // Only the well-formed channel with a path is kept; nothing from the nested or foreign arrays.
        QCOMPARE(records[1].otherChannels.size(), 1);
        QCOMPARE(records[1].otherChannels[0].fLocalPath, QString("/b-r.mp4"));

        // Words the card rules do not know are not taken over.
        QVERIFY(MediaListStore::parse(
            "<plist><array><dict><key>fLocalPath</key><string>/c.mp4</string><key>kind</key><string>Kind.evil</string>"
            "<key>channel</key><string>sideways</string><key>otherChannels</key><array><dict>"
            "<key>channel</key><string>up-left</string><key>fLocalPath</key><string>/c2.mp4</string></dict></array>"
            "</dict></array></plist>",
            &records));
        CardGrouping::keepKnownWords(records);
        QCOMPARE(records.size(), 1);
        QVERIFY(records[0].kind.isEmpty());
        QVERIFY(records[0].channel.isEmpty());
        QCOMPARE(records[0].otherChannels.size(), 1);
        QCOMPARE(records[0].otherChannels[0].channel, QString("other"));
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

    // Two players writing one list: each keeps what the other added or removed since it
    // last read the file, so no entry is lost or brought back.
    void secondWriterIsMergedNotOverwritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("mediaList");
        const MFileModel a{"a.mp4", "/a.mp4"}, b{"b.mp4", "/b.mp4"}, c{"c.mp4", "/c.mp4"}, d{"d.mp4", "/d.mp4"};
        QVERIFY(MediaListStore(path).save({a, b}));
        MediaListStore first(path), second(path);
        QCOMPARE(first.load().size(), 2);
        QCOMPARE(second.load().size(), 2);

        QList<MFileModel> merged;
        QVERIFY(first.save({c, a, b}, &merged)); // first adds c
        QCOMPARE(merged, (QList<MFileModel>{c, a, b}));
        QVERIFY(second.save({d, a}, &merged)); // second adds d and removes b
        QCOMPARE(merged, (QList<MFileModel>{c, d, a}));
        QCOMPARE(MediaListStore(path).load(), merged);
        // first, told nothing, removes a: c and d stay, b does not come back.
        QVERIFY(first.save({c, b}, &merged));
        QCOMPARE(merged, (QList<MFileModel>{d, c}));

        // While another writer holds the lock, nothing is written (and nothing lost).
        QLockFile held(path + ".lock");
        QVERIFY(held.tryLock(0));
        MediaListStore blocked(path);
        blocked.load();
        QElapsedTimer t;
        t.start();
        QVERIFY(!blocked.save({a}));
        QCOMPARE(MediaListStore(path).load(), (QList<MFileModel>{d, c}));
        held.unlock();
        QVERIFY(blocked.save({a, d, c}));
    }

    // Repeated paths in a large stored list are dropped in one pass.
    void largeListsWithRepeatsLoad()
    {
        QList<MFileModel> many;
        for (int i = 0; i < 40000; ++i)
            many.append({QString::number(i % 20000) + ".mp4", "/v/" + QString::number(i % 20000) + ".mp4"});
        QList<MFileModel> records;
        QVERIFY(MediaListStore::parse(MediaListStore::serialize(many), &records));
        QCOMPARE(records.size(), 20000);
        QCOMPARE(records.last().fLocalPath, QString("/v/19999.mp4"));
    }

    // A list whose elements carry thousands of attributes would keep the XML reader busy
    // for a quadratic time at start-up; it is refused from its bytes and set aside.
    void attributeFloodIsRefusedNotParsed()
    {
        QByteArray flood = "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><dict";
        for (int i = 0; i < 20000; ++i)
            flood += " a" + QByteArray::number(i) + "=\"\"";
        flood += "><key>fLocalPath</key><string>/a.mp4</string></dict></array></plist>";
        QList<MFileModel> records;
        QVERIFY(!MediaListStore::parse(flood, &records));
        QVERIFY(records.isEmpty());
        // The same list in another encoding could hide its markup from the byte scan.
        QVERIFY(!MediaListStore::parse("<?xml version=\"1.0\" encoding=\"UTF-16\"?><plist><array/></plist>",
                                       &records));

        QTemporaryDir dir;
        const QString path = dir.filePath("mediaList");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(flood);
        f.close();
        MediaListStore store(path);
        QVERIFY(store.load().isEmpty());
        QVERIFY(!store.lastSetAside().isEmpty());
        // Our own lists, with their DOCTYPE, pass the same scan.
        QVERIFY(MediaListStore::parse(MediaListStore::serialize({{"a.mp4", "/a.mp4"}}), &records));
        QCOMPARE(records.size(), 1);
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
