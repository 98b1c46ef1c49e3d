#pragma once
#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "core/Program.h"
#include "gui/config/MainWindowSide.h"
#include "screens/config/ConfigScreen.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace qz {

class PageOpener;
class App;

// The configuration screen as a dialog: it shows the screen's view after every event and passes
// the user's actions, its two timers and its activation to the screen's handlers. Closing it by the
// title bar, by close() or by done() unloads the screen; so does the screen itself (Exit, Cancel),
// after which the dialog hides. Its controls are named after the parts of the view they show
// ("processDelay", "processDelayHint", "save").
class ConfigDialog : public QDialog {
  public:
    ConfigDialog(Program& p, std::unique_ptr<MainWindowSide> main, QWidget* parent = nullptr);
    // Does not unload the screen: the main window may already be gone. Close the dialog first.
    ~ConfigDialog() override;

    const ConfigScreen& Screen() const { return screen_; }
    // Delete the dialog once it has closed and none of its handlers is still running (one may be
    // waiting in a message box while the main window closes the dialog).
    void SetDeleteWhenClosed(bool on) { deleteWhenClosed_ = on; }

    void done(int result) override;

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    class ScreenHost;

    void BuildControls();
    QLabel* AddLabel(const std::string& name, const LabelView& part);
    QLineEdit* AddText(const std::string& name, TextFieldView& part);
    QCheckBox* AddCheck(const std::string& name, CheckBoxView& part, void (ConfigScreen::*handler)(bool));
    QComboBox* AddList(const std::string& name, const ListView& part,
                       void (ConfigScreen::*handler)(const std::string&));
    QPushButton* AddButton(const char* name, const ButtonView& part, void (ConfigScreen::*handler)());

    // Runs one event of the screen, then brings the window up to date with it.
    void Handle(const std::function<void()>& action);
    void Refresh();
    void FollowTimers();
    void SetStaysOnTop(bool on);

    std::unique_ptr<MainWindowSide> main_;
    std::unique_ptr<ScreenHost> host_;
    ConfigScreen screen_;
    QTimer* closeCountdown_ = nullptr;
    QTimer* statusTimeout_ = nullptr;
    std::vector<std::function<void()>> renderers_;
    int running_ = 0; // handlers of this dialog on the stack
    bool deleteWhenClosed_ = false;
    bool deleteScheduled_ = false;
};

// Opens the configuration screen for the main window, not modal. The dialog deletes itself after it
// has closed; keep it in a QPointer and close it with close() (the auto-close of the main window's
// timer too). When it emits finished() the main window's controls are enabled again and any reset of
// the program has run, so the main window should show its view again then.
QDialog* OpenConfigDialog(Program& p, App& main, PageOpener& pages, QWidget* parent);

} // namespace qz
