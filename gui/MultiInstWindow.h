#pragma once
#include <QWidget>
#include <optional>

#include "app/MultiInst.h"
#include "app/WindowHost.h"
#include "gui/EventGate.h"

class QLabel;
class QPushButton;

namespace qz {

// The "already running" window. It is the program's only window; its button ends the program.
class MultiInstWindow final : public QWidget, private PageOpener {
  public:
    explicit MultiInstWindow(Program& p);

    // Form_Load, then the window is shown and placed on top.
    void Load();
    std::optional<int> EndedWith() const { return gate_.EndedWith(); }
    const MultiInst& Logic() const { return logic_; }

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OpenWebPage(const std::string& page) override;
    void Render();

    Program& p_;
    MultiInst logic_;
    EventGate gate_;
    QLabel* message_;
    QPushButton* exit_;
};

} // namespace qz
