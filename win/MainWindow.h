#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/App.h"
#include "app/EventGate.h"
#include "core/Program.h"
#include "core/WindowHost.h"
#include "win/Form.h"
#include "win/Tray.h"

namespace qz::win {

class AboutWindow;
class ConfigWindow;

// The main window: shows the program's view after every event and passes the
// window's, the tray's, the timer's and the link socket's events to the program's handlers. It
// owns the About and configuration windows while they are open; their events run through it too.
class MainWindow final : public WindowHost {
  public:
    static constexpr UINT_PTR kMainTimer = 1;
    static constexpr int kFirstMenuId = 2000;

    MainWindow(Program& p, Tray& tray);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The window's load: Load, then the window as the view says (shown, or in the tray).
    void Load();
    // Runs one event of the program and shows the windows afresh; nothing once the program ended.
    void Run(const EventGate::Handler& handler);
    std::optional<int> EndedWith() const { return gate_.EndedWith(); }

    App& Logic() { return app_; }
    HWND Handle() const { return window_; }
    // A control by the name of the view's part it shows ("title", "reset").
    HWND Find(const std::string& name) const { return form_.Find(name); }
    const Form& Controls() const { return form_; }
    // The popup menu as the view gives it now; its items send WM_COMMAND to the window. The caller
    // destroys it.
    HMENU BuildPopupMenu() const;
    AboutWindow* About() { return about_.get(); }
    ConfigWindow* Config() { return config_.get(); }

    // The main timer's tick and the socket's data arrival.
    void Tick();
    void DataArrival();

    // What the program asks of the window.
    void ShowAbout() override;
    void ShowConfig() override;
    void UnloadAbout() override;
    void UnloadConfig() override;
    void OpenWebPage(const std::string& page) override;

    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void Render();
    void RenderWindow();
    void FollowTimer();
    void FollowSocket();
    void Centre();
    void TrackPopupMenu();
    void SetForeground();
    void Ended();

    Program& p_;
    Tray& tray_;
    App app_;
    MainWindowModel& main_ = app_.window;
    EventGate gate_;
    ViewForm<MainView, MainWindowModel> form_;
    HWND window_ = nullptr;
    UINT taskbarCreated_ = 0;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<ConfigWindow> config_;
    bool timerOn_ = false;
    std::intptr_t watchedSocket_ = -1;
    int watchedPort_ = 0;
    int centred_ = 0;        // the view's centre requests already carried out
    int broughtForward_ = 0; // the view's foreground requests already carried out
    int poppedUp_ = 0;       // the view's popup requests already carried out
    unsigned noticed_ = 0;   // the view's notices already said
    bool rendering_ = false;
};

} // namespace qz::win
