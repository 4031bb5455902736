// camerashot OUT.png: the real window with a test camera connected, for the README's picture
// of a camera in the media list. Starts tests/support's test camera on 127.0.0.1 with a card
// of front and rear moments (one of them the demo drive, which it then streams and plays),
// a transport stream and an event; ticks a moment and starts a slow download so that the
// row's bar and the overall one show; grabs the window after a few seconds. Not a test: run
// by hand under Xvfb (see docs/screenshots/README.md).
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include "app/appdelegate.h"
#include "app/cameraactions.h"
#include "app/camerasource.h"
#include "app/ovraplayvc.h"
#include "app/ovrawindowplaycontroller.h"
#include "library/medialistmodel.h"
#include "library/medialistview.h"
#include "support/cameracard.h"
#include "support/testcamera.h"
#include "support/testsettings.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: camerashot DEMO.mp4 OUT.png\n");
        return 2;
    }
    TestSettings settings;
    TestSettings::clearInEnglish();
    QFile demo(QString::fromLocal8Bit(argv[1]));
    if (!demo.open(QIODevice::ReadOnly))
        return 2;
    TestCamera camera(TestCamera::Dialect::Xml);
    camera.addFile("DCIM/Movie/2026_0514_100000_001F.MP4", demo.readAll().toStdString());
    camera.addFile("DCIM/Movie/2026_0514_100000_001R.MP4", cameracard::mp4Recording(0, 60, 30u << 20));
    for (int i = 1; i < 6; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "DCIM/Movie/2026_0514_10%02d00_%03d%sF.MP4", i, i + 1,
                      i == 3 ? "E" : "");
        camera.addFile(name, cameracard::mp4Recording(60 * i, 60, 60u << 20, i == 3));
        std::string rear = name;
        rear[rear.size() - 5] = 'R';
        camera.addFile(rear, cameracard::mp4Recording(60 * i, 60, 30u << 20));
    }
    camera.addFile("DCIM/RO/2026_0514_101000_011F.MP4", cameracard::mp4Recording(600, 60, 60u << 20, true));
    camera.addFile("DCIM/Movie/2026_0514_110000_012F.TS", std::string(188 * 4000, '\0'));
    camera.addHostileName("A:\\DCIM\\..\\..\\evil.MP4");

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    OvraPlayVC *vc = delegate.windowVC()->playerVC();
    vc->window()->resize(1440, 860); // room for the names beside the channel and kind columns
    CameraSource *source = cameraSource(vc);
    source->connectTo(QUrl(QString::fromStdString(camera.url())));
    QTemporaryDir into;
    // Once listed: play the demo moment from the camera, then download a ticked one slowly.
    QTimer::singleShot(2500, vc, [vc, source, &camera, &into] {
        MediaListView *list = vc->mediaList();
        const QList<int> rows = source->rows();
        if (rows.size() < 3)
            return;
        list->doubleClick(rows.first());
        list->model()->setChecked(rows.at(2), true);
        camera.bytesPerSecond = 3u << 20;
        source->downloadChecked(into.path());
    });
    QTimer::singleShot(9000, vc, [vc, argv] {
        const bool saved = vc->window()->grab().save(QString::fromLocal8Bit(argv[2]));
        std::fprintf(stderr, "camerashot: %s\n", saved ? "saved" : "not saved");
        QApplication::exit(saved ? 0 : 1);
    });
    return app.exec();
}
