#include "tests/gui/GuiWorld.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <utility>

#include "gui/ProgramEnd.h"

namespace qz::test {
namespace {

template <class T> T& Child(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    if (!child) throw std::runtime_error(std::string("no control ") + name);
    return *child;
}

} // namespace

Answer GuiHost::ShowMessage(MsgIcon icon, MsgButtons buttons, const std::string& title,
                            const std::string& text) {
    const Answer answer = FakeHost::ShowMessage(icon, buttons, title, text);
    if (auto hook = std::exchange(whileOpen, nullptr)) hook();
    return answer;
}

void GuiHost::EndProgram(int status) {
    endedWith = status;
    throw ProgramEnd{status};
}

GuiWorld::GuiWorld(bool trayAvailable, UdpSocket* socket)
    : p(Services{host, world.clock, world.files, world.processes, world.power,
                 socket ? *socket : world.socket, world.resolver, world.guard, world.system}),
      tray(trayAvailable), window(std::make_unique<MainWindow>(p, tray)) {
    std::filesystem::create_directories(dir.path() / "Log");
}

GuiWorld::~GuiWorld() {
    window.reset();
    SettleEvents();
}

void GuiWorld::Start(const IniFile& ini, const std::string& commandLine) {
    dir.Write("Data/Quenzel.ini", ini.Text());
    p.rt.CommandLine = commandLine;
    window->Load();
}

void GuiWorld::Ticks(int count) {
    for (int i = 0; i < count; ++i)
        window->Tick();
}

void GuiWorld::ProcessRuns(bool runs) {
    world.processes.names.clear();
    if (runs) world.processes.names = {"init", "worker.exe"};
}

QLabel& GuiWorld::Label(const char* name) const {
    return Child<QLabel>(*window, name);
}

QPushButton& GuiWorld::Button(const char* name) const {
    return Child<QPushButton>(*window, name);
}

QAction& GuiWorld::Item(const char* name) const {
    return Child<QAction>(window->PopupMenu(), name);
}

void GuiWorld::Click(const char* button) const {
    QTest::mouseClick(&Button(button), Qt::LeftButton);
}

std::vector<std::string> GuiWorld::ChoosableItems() const {
    std::vector<std::string> items;
    for (const QAction* action : window->PopupMenu().actions()) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator())
            items.push_back(action->objectName().toStdString());
    }
    return items;
}

void SettleEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace qz::test
