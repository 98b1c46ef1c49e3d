#pragma once
#include <QDialog>
#include <functional>

#include "app/Program.h"
#include "screens/frmAbout.h"

class QLabel;
class QPushButton;
class QTimer;

namespace qz {

class QuenzelMain;

// The About screen as a dialog. Its events run through the main window's event gate, which shows
// both windows afresh after each; the main window closes the dialog once the screen has unloaded.
class AboutDialog final : public QDialog, private AboutScreenHost {
  public:
    using Runner = std::function<void(const std::function<void()>&)>;
    AboutDialog(Program& p, QuenzelMain& main, Runner run, QWidget* parent);

    frmAbout& Screen() { return screen_; }
    // Brings the window up to date with the screen; hides it once the screen has unloaded.
    void Render();
    // Timer1's tick.
    void Timer1Tick();

    // However the dialog is closed (title bar, Escape), the screen unloads.
    void done(int result) override;

  protected:
    bool event(QEvent* event) override;

  private:
    void EnableMainControls() override;
    void OpenWebPage(const std::string& page) override;

    Program& p_;
    QuenzelMain& main_;
    Runner run_;
    frmAbout screen_;
    QLabel* progName_;
    QLabel* progVersion_;
    QLabel* webSite_;
    QLabel* message_;
    QPushButton* exit_;
    QTimer* timer1_;
};

} // namespace qz
