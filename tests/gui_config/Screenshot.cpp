// Writes a picture of the configuration screen to the file named by the first argument: a main
// station with a refused stored value, 90 seconds before the screen closes itself.
#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <iostream>

#include "tests/gui_config/DialogWorld.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: config_screenshot picture.png\n";
        return 2;
    }
    QApplication app(argc, argv);
    qz::test::DialogWorld w;
    w.p.set.Proc1 = "blender";
    w.p.set.Proc2 = "rsync";
    w.p.set.ProcDelay = 4;
    qz::ConfigDialog& dialog = w.OpenDialog();
    w.p.rt.ConfigCloseCount = 90;
    QEventLoop oneTick; // the close countdown shows after the next tick
    QTimer::singleShot(1200, &oneTick, &QEventLoop::quit);
    oneTick.exec();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::cerr << "cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
