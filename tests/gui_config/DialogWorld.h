#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gui/config/ConfigDialog.h"
#include "tests/config_screen/ScreenWorld.h"

namespace qz::test {

// The main window as the dialog sees it: every call is recorded, in order, in a list that outlives
// the dialog.
class FakeMainSide : public MainWindowSide {
  public:
    explicit FakeMainSide(std::vector<std::string>& calls) : calls_(calls) {}
    void ResetMonitor() override { calls_.push_back("ResetMonitor"); }
    void ShowStatus() override { calls_.push_back("ShowStatus"); }
    void EnableMainControls() override { calls_.push_back("EnableMainControls"); }
    void OpenWebPage(const std::string& page) override { calls_.push_back("OpenWebPage " + page); }

  private:
    std::vector<std::string>& calls_;
};

// The configuration screen's world (Data/Quenzel.ini, Log/, a main station's settings) with the
// dialog on top of it.
struct DialogWorld : ScreenWorld {
    // Opens the dialog for the settings and run-time state as they are now; OpenDialog also shows it.
    ConfigDialog& CreateDialog();
    ConfigDialog& OpenDialog();
    const ConfigView& View() const { return dialog->Screen().view; }

    template <class Widget> Widget& Find(const char* name) const {
        auto* widget = dialog->findChild<Widget*>(name);
        if (!widget) throw std::runtime_error(std::string("the dialog has no control ") + name);
        return *widget;
    }

    std::vector<std::string> mainCalls;
    std::unique_ptr<ConfigDialog> dialog;
};

} // namespace qz::test
