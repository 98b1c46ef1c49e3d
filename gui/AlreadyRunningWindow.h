#pragma once
#include <QWidget>
#include <optional>

#include "app/EventGate.h"
#include "core/WindowHost.h"
#include "screens/AlreadyRunningScreen.h"

class QLabel;
class QPushButton;

namespace qz {

// The "already running" window. It is the program's only window; its button ends the program.
class AlreadyRunningWindow final : public QWidget, private PageOpener {
  public:
    explicit AlreadyRunningWindow(Program& p);

    // Load, then the window is shown and placed on top.
    void Load();
    std::optional<int> EndedWith() const { return gate_.EndedWith(); }
    const AlreadyRunningScreen& Logic() const { return logic_; }

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OpenWebPage(const std::string& page) override;
    void Render();

    Program& p_;
    AlreadyRunningScreen logic_;
    EventGate gate_;
    QLabel* message_;
    QPushButton* exit_;
};

} // namespace qz
