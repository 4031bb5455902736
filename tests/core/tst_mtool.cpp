#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "core/appfonts.h"
#include "core/extension.h"
#include "core/mtool.h"
#include "support/testsettings.h"

namespace {
// Presses the alert's button at index (or Escape with -1) as soon as the alert is up.
void answerAlert(int index, QStringList *seenButtons = nullptr)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, index, seenButtons] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        timer->deleteLater();
        const QList<QAbstractButton *> buttons = box->buttons();
        if (seenButtons) {
            // The order on screen is the order of the titles.
            QList<QAbstractButton *> sorted = buttons;
            std::sort(sorted.begin(), sorted.end(),
                      [](QAbstractButton *a, QAbstractButton *b) { return a->x() < b->x(); });
            for (QAbstractButton *b : sorted)
                seenButtons->append(b->text());
        }
        if (index < 0)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            buttons.at(index)->click();
    });
    timer->start();
}
} // namespace

class TestMTool : public QObject {
    Q_OBJECT
    TestSettings settings;

private slots:
    void alertAnswersByButtonOrder_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("expected");
        QTest::newRow("first of two") << QStringList{"To.upgrade", "Cancel"} << "To.upgrade" << 1000;
        QTest::newRow("second of two") << QStringList{"To.upgrade", "Cancel"} << "Cancel" << 1001;
        QTest::newRow("third of three") << QStringList{"A", "B", "C"} << "C" << 1002;
        QTest::newRow("single") << QStringList{"OK"} << "OK" << 1000;
    }
    void alertAnswersByButtonOrder()
    {
        QFETCH(QStringList, titles);
        QFETCH(QString, press);
        QFETCH(int, expected);
        auto *timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, [timer, press] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            timer->stop();
            for (QAbstractButton *b : box->buttons())
                if (b->text() == press)
                    b->click();
        });
        timer->start();
        QCOMPARE(MTool::showAlert(QStringLiteral("Prompt"), QStringLiteral("text"), titles), expected);
        delete timer;
    }

    void alertShowsTitlesInOrderAndTexts()
    {
        QStringList seen;
        answerAlert(0, &seen);
        QCOMPARE(MTool::showAlert(QStringLiteral("T"), QStringLiteral("C"), {"One", "Two", "Three"}), 1000);
        QCOMPARE(seen, (QStringList{"One", "Two", "Three"}));
    }

    // A title or text that comes from outside (a file's name, a feed's notes) is shown as
    // written: never rendered, never a link to follow.
    void alertTextsArePlain()
    {
        const QString title = QStringLiteral("<img src=\"/dev/zero\">drive.mp4");
        const QString notes = QStringLiteral("<a href=\"file:///etc/passwd\">release notes</a>");
        bool checked = false;
        auto *timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, &checked, title, notes] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            timer->stop();
            timer->deleteLater();
            auto *main = box->findChild<QLabel *>("qt_msgbox_label");
            auto *info = box->findChild<QLabel *>("qt_msgbox_informativelabel");
            checked = main && info && main->textFormat() == Qt::PlainText && main->text() == title
                      && info->textFormat() == Qt::PlainText && info->text() == notes && !info->openExternalLinks();
            box->buttons().first()->click();
        });
        timer->start();
        MTool::showAlert(title, notes, {"OK"});
        QVERIFY(checked);
    }

    void escapeAnswersAsTheLastButton()
    {
        answerAlert(-1);
        QCOMPARE(MTool::showAlert(QStringLiteral("T"), QStringLiteral("C"), {"To.upgrade", "Cancel"}), 1001);
    }

    void alertWithoutTitlesStillHasAWayOut()
    {
        answerAlert(0);
        QCOMPARE(MTool::showAlert(QStringLiteral("T"), QStringLiteral("C"), {}), 1000);
    }

    void versionText()
    {
        const QString old = QCoreApplication::applicationVersion();
        QCoreApplication::setApplicationVersion(QStringLiteral("2.1.0"));
        QCOMPARE(MTool::currentVersion(), QStringLiteral("v2.1.0"));
        QCoreApplication::setApplicationVersion(old);
    }

    void bundleNameAndFallback()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Player X"));
        QCOMPARE(MTool::currentBundleName(), QStringLiteral("Player X"));
        // Unset, Qt reports the executable's name: not a name of ours.
        QCoreApplication::setApplicationName(QString());
        QCOMPARE(MTool::currentBundleName(), QStringLiteral("TRAVA PLAYER"));
        QCoreApplication::setApplicationName(QStringLiteral("Trava Player"));
    }

    void geometryShortcutsAreYUp()
    {
        QWidget parent;
        parent.resize(200, 100);
        QWidget child(&parent);
        // Frame (10, 20, 30, 40) in y-up terms: bottom edge 20 above the parent's bottom.
        Extension::setSize(&child, QSize(30, 40));
        Extension::setOrigin(&child, QPoint(10, 20));
        QCOMPARE(Extension::origin(&child), QPoint(10, 20));
        QCOMPARE(child.geometry(), QRect(10, 100 - 20 - 40, 30, 40));

        Extension::setWidth(&child, 55);
        QCOMPARE(Extension::x(&child), 10);
        QCOMPARE(Extension::y(&child), 20);
        QCOMPARE(Extension::width(&child), 55);
        QCOMPARE(Extension::height(&child), 40);

        // A height change keeps the bottom edge where it is.
        Extension::setHeight(&child, 10);
        QCOMPARE(Extension::y(&child), 20);
        QCOMPARE(child.geometry(), QRect(10, 70, 55, 10));

        Extension::setX(&child, 3);
        Extension::setY(&child, 0);
        QCOMPARE(child.geometry(), QRect(3, 90, 55, 10));
        QCOMPARE(Extension::size(&child), QSize(55, 10));

        QCOMPARE(Extension::anchorPoint(&child), QPointF(0, 0));
        Extension::setAnchorPoint(&child, QPointF(0.5, 0.5));
        QCOMPARE(Extension::anchorPoint(&child), QPointF(0.5, 0.5));
        QCOMPARE(child.geometry(), QRect(3, 90, 55, 10));
    }

    void decodesServiceLinesIntoATrack()
    {
        QVERIFY(!MTool::decodeGpsData({}));
        // Outside the region the positions stay as recorded; non-ASCII text survives the
        // conversion without breaking the line apart.
        const Track t = MTool::decodeGpsData({
            QStringLiteral("1 2019/11/28 08:15:42 N:48.137154 E:11.576124 36.5 km/h x:0.12 y:-0.40 z:9.81;"),
            QStringLiteral("2 2019/11/28 08:15:43 N:48.137254 E:11.576224 37.0 km/h x:0.10 y:-0.30 z:9.80;"),
            QString::fromUtf8("garbage ü"),
        });
        QVERIFY(t);
        QCOMPARE(int(t->size()), 2);
        QCOMPARE(QString::fromStdString(t->at(0).time), QStringLiteral("2019/11/28 08:15:42"));
        QCOMPARE(QString::fromStdString(t->at(1).speed).toDouble(), 37.0);
        QVERIFY(qAbs(QString::fromStdString(t->at(0).latitude).toDouble() - 48.137154) < 1e-6);
        QVERIFY(qAbs(t->at(1).gsensorZ - 9.80) < 1e-5);
    }

    void missingFontFallsBackToAnInstalledFamily()
    {
        const QFont f = fontNamed(QStringLiteral("MSYH"), 16);
        QCOMPARE(f.pointSizeF(), 16.0);
        if (!fontFamilyAvailable(QStringLiteral("MSYH"))) {
            QVERIFY(f.family() != QLatin1String("MSYH"));
            if (fontFamilyAvailable(QStringLiteral("Noto Sans CJK SC")))
                QCOMPARE(f.family(), QStringLiteral("Noto Sans CJK SC"));
        }
        QVERIFY(!fontFamilyAvailable(QStringLiteral("No Such Family 12345")));
    }
};

QTEST_MAIN(TestMTool)
#include "tst_mtool.moc"
