#pragma once
#include <QTest>
#include <memory>

#include "config/ConfigFile.h"
#include "gui/config/ConfigDialog.h"
#include "tests/app/Harness.h"

namespace qz::test {

// The main window as the dialog sees it: every call is recorded, in order, in a list that outlives
// the dialog.
struct FakeMainSide : MainWindowSide {
    explicit FakeMainSide(std::vector<std::string>& list) : calls(list) {}
    void ResetMonitor() override { calls.push_back("ResetMonitor"); }
    void ShowStatus() override { calls.push_back("ShowStatus"); }
    void EnableMainControls() override { calls.push_back("EnableMainControls"); }
    void OpenWebPage(const std::string& page) override { calls.push_back("OpenWebPage " + page); }
    std::vector<std::string>& calls;
};

// The configuration dialog over a program started with the configuration file, fakes for the world.
struct DialogWorld : Monitor {
    explicit DialogWorld(const IniFile& ini = IniFile()) { Start(ini); }
    // Shows the dialog and activates it, as the window system does.
    ConfigDialog& Open() {
        dialog = std::make_unique<ConfigDialog>(p, std::make_unique<FakeMainSide>(mainCalls));
        dialog->show();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(dialog.get(), &activate);
        return *dialog;
    }
    const ConfigView& View() const { return dialog->Screen().view; }
    template <class T = QWidget> T& Find(const char* name) const {
        if (T* control = dialog->findChild<T*>(name)) return *control;
        throw std::runtime_error(std::string("the dialog has no control ") + name);
    }
    void Click(const char* name) const { QTest::mouseClick(&Find(name), Qt::LeftButton); }

    std::vector<std::string> mainCalls;
    std::unique_ptr<ConfigDialog> dialog;
};

} // namespace qz::test
