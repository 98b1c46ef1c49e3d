#pragma once
#include <QTest>
#include <memory>

#include "app/EventGate.h"
#include "gui/MainWindow.h"
#include "gui/QtHost.h"
#include "gui/Tray.h"
#include "tests/app/Harness.h"

namespace qz::test {

// Answers boxes as the fake host does (and shows them onDesktop); the program's end returns here.
struct GuiHost : QtHost {
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override {
        const Answer answer = fake.ShowMessage(icon, buttons, title, text);
        return onDesktop ? QtHost::ShowMessage(icon, buttons, title, text) : answer;
    }
    [[noreturn]] void EndProgram(int status) override { throw ProgramEnd{status}; }
    FakeHost fake;
    bool onDesktop = false;
};

// The main window in a working folder of its own, with fakes for the world.
struct GuiWorld {
    explicit GuiWorld(UdpSocket* socket = nullptr)
        : p(Services{host, world.clock, world.files, world.processes, world.power,
                     socket ? *socket : world.socket, world.resolver, world.guard, world.system}),
          tray([this] { return trayAvailable; }), window(std::make_unique<MainWindow>(p, tray)) {
        std::filesystem::create_directories(dir.path() / "Log");
    }
    ~GuiWorld() {
        window.reset();
        QTest::qWait(0); // the deletions the window has left
    }
    void Start(const IniFile& ini, const std::string& commandLine = "") {
        dir.Write("Data/Quenzel.ini", ini.Text());
        p.rt.commandLine = commandLine;
        window->Load();
    }
    void Seconds(int count) {
        for (int tick = 0; tick < 2 * count; ++tick)
            window->Tick();
    }
    void IntoCountdown() { // idle seconds until the countdown runs
        world.processes.names.clear();
        for (int second = 0; second < 30 && p.monitor.phase != MonitorPhase::Shutdown; ++second)
            Seconds(1);
    }
    std::vector<std::string> Events() const { return LogEvents(dir.Read("Log/Quenzel.log")); }
    template <class T = QWidget> T& Find(const char* name) const { // of the window or its popup
        if (T* control = window->findChild<T*>(name)) return *control;
        throw std::runtime_error(std::string("no control ") + name);
    }
    void Click(const char* name) const { QTest::mouseClick(&Find(name), Qt::LeftButton); }

    TempDir dir;
    GuiHost host;
    FakeWorld world{dir.path()};
    Program p;
    bool trayAvailable = true; // whether the desktop has a tray now
    Tray tray;
    std::unique_ptr<MainWindow> window;
};

} // namespace qz::test
