// Writes pictures of the desktop program's windows into the folder named by the first argument:
// the main window monitoring, counting down and unconfigured, and the About screen. The program
// runs as started with "-InhibitShutdown", against fakes of the machine, driven tick by tick.
#include <QApplication>
#include <QLabel>
#include <filesystem>
#include <functional>
#include <iostream>

#include "gui/AboutDialog.h"
#include "tests/gui/GuiWorld.h"

namespace {

using qz::test::GuiWorld;
using qz::test::IniFile;

IniFile Watching() {
    return IniFile().Set("Proc1", "blender").Set("Proc2", "rsync");
}

void Monitoring(GuiWorld& w) {
    w.world.processes.names = {"init", "blender"};
    w.Start(Watching(), "-InhibitShutdown");
    w.Seconds(5);
}

void CountingDown(GuiWorld& w) {
    w.Start(Watching(), "-InhibitShutdown");
    for (int second = 0; second < 30 && w.p.rt.MonState != 2; ++second)
        w.Seconds(1);
    w.Seconds(2);
}

void Unconfigured(GuiWorld& w) {
    w.Start(IniFile().Set("Proc1", ""), "-InhibitShutdown");
}

bool Save(QWidget& window, const std::filesystem::path& file) {
    QApplication::processEvents();
    if (window.grab().save(QString::fromStdString(file.string()))) return true;
    std::cerr << "cannot write " << file << "\n";
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quenzel_screenshots folder\n";
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const std::filesystem::path folder = argv[1];

    struct Scene {
        const char* file;
        std::function<void(GuiWorld&)> reach;
    };
    for (const Scene& scene : {Scene{"main-run.png", Monitoring}, Scene{"main-countdown.png", CountingDown},
                               Scene{"main-unconfigured.png", Unconfigured}}) {
        GuiWorld w;
        scene.reach(w);
        if (!Save(*w.window, folder / scene.file)) return 1;
    }

    GuiWorld w;
    Monitoring(w);
    w.Click("About");
    qz::AboutDialog& about = *w.window->About();
    about.Timer1Tick();
    return Save(about, folder / "about.png") ? 0 : 1;
}
