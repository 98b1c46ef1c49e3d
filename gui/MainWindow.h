#pragma once
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/App.h"
#include "app/EventGate.h"
#include "core/Program.h"
#include "core/WindowHost.h"

class QMenu;
class QSocketNotifier;
class QTimer;

namespace qz {

class AboutDialog;
class Tray;

// The main window: shows the program's view after every event and passes the window's, the tray's,
// the timer's and the link socket's events to the program's handlers. Its controls are named after
// the view's parts ("title", "reset", "menuExit").
class MainWindow final : public QWidget, public WindowHost {
  public:
    MainWindow(Program& p, Tray& tray);
    ~MainWindow() override;

    // The window's load: Load, then the window as the view says (shown, or in the tray).
    void Load();
    // Runs one event of the program and shows the windows afresh; nothing once the program ended.
    void Run(const EventGate::Handler& handler);
    // The status the program ended with, when its host handed control back instead of ending.
    std::optional<int> EndedWith() const { return gate_.EndedWith(); }

    App& Logic() { return app_; }
    QMenu& PopupMenu() { return *menu_; }
    AboutDialog* About() { return about_; }
    QDialog* Config() { return config_; }
    // The main timer's tick and the socket's data arrival.
    void Tick();
    void DataArrival();

    // What the program asks of the window.
    void ShowAbout() override;
    void ShowConfig() override;
    void UnloadAbout() override;
    void UnloadConfig() override;
    void OpenWebPage(const std::string& page) override;

  protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildPopupMenu();
    void Render();
    void RenderControls();
    void RenderWindow();
    void FollowTimer();
    void FollowSocket();
    void Centre();
    void SetForeground();
    void WindowStateChanged();
    void Ended();

    Program& p_;
    Tray& tray_;
    App app_;
    EventGate gate_;
    std::vector<std::function<void()>> renderers_; // one per control
    QMenu* menu_ = nullptr;
    QTimer* timer_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::intptr_t watchedSocket_ = -1;
    int watchedPort_ = 0;
    AboutDialog* about_ = nullptr;
    QPointer<QDialog> config_;
    int centred_ = 0;        // the view's centre requests already carried out
    int broughtForward_ = 0; // the view's foreground requests already carried out
    int poppedUp_ = 0;       // the view's popup requests already carried out
    bool centreWhenFramed_ = false;
    unsigned noticed_ = 0; // the view's notices already said
    bool rendering_ = false;
};

} // namespace qz
