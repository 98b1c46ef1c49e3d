#pragma once
#include <QDialog>
#include <functional>

#include "core/Program.h"
#include "screens/AboutScreen.h"

class QLabel;
class QPushButton;
class QTimer;

namespace qz {

class MainWindowModel;

// The About screen as a dialog. Its events run through the main window's event gate, which shows
// both windows afresh after each; the main window closes the dialog once the screen has unloaded.
class AboutDialog final : public QDialog, private AboutScreenHost {
  public:
    using Runner = std::function<void(const std::function<void()>&)>;
    AboutDialog(Program& p, MainWindowModel& main, Runner run, QWidget* parent);

    AboutScreen& Screen() { return screen_; }
    // Brings the window up to date with the screen; hides it once the screen has unloaded.
    void Render();
    // The close countdown's tick.
    void OnSecond();

    // However the dialog is closed (title bar, Escape), the screen unloads.
    void done(int result) override;

  protected:
    bool event(QEvent* event) override;

  private:
    void EnableMainControls() override;
    void OpenWebPage(const std::string& page) override;

    Program& p_;
    MainWindowModel& main_;
    Runner run_;
    AboutScreen screen_;
    QLabel* programName_;
    QLabel* version_;
    QLabel* webSite_;
    QLabel* closeNotice_;
    QPushButton* exit_;
    QTimer* closeCountdown_;
};

} // namespace qz
