#pragma once
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/MainWindow.h"
#include "gui/Tray.h"
#include "tests/app/Harness.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {

// A host that records like FakeHost and, instead of ending the process, hands control back to the
// window that ran the event.
class GuiHost : public FakeHost {
  public:
    Answer ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                       const std::string& text) override;
    [[noreturn]] void EndProgram(int status) override;
    std::function<void()> whileOpen; // runs inside the next box, as events do inside a modal box
};

// The desktop program's main window in its own working folder, with fakes for the world.
class GuiWorld {
  public:
    // trayAvailable stands for the desktop's notification area.
    explicit GuiWorld(bool trayAvailable = true, UdpSocket* socket = nullptr);
    ~GuiWorld();

    // Writes the configuration and loads the main window as a start with this command line.
    void Start(const IniFile& ini, const std::string& commandLine = "");
    void Ticks(int count);
    void Seconds(int count) { Ticks(2 * count); }
    std::vector<std::string> Events() const { return LogEvents(dir.Read("Log/Quenzel.log")); }
    void ProcessRuns(bool runs);

    QLabel& Label(const char* name) const;
    QPushButton& Button(const char* name) const;
    QAction& Item(const char* name) const;
    void Click(const char* button) const;
    // The popup items a user could choose now, in their order.
    std::vector<std::string> ChoosableItems() const;

    TempDir dir;
    GuiHost host;
    FakeWorld world{dir.path()};
    Program p;
    Tray tray;
    std::unique_ptr<MainWindow> window;
};

// Runs the deferred deletions and queued calls the window has left.
void SettleEvents();

} // namespace qz::test
