// The event source of Windows: one wait over the link socket's network event, an event that the
// console's control handler sets, and the console's input.
// Winsock must come before anything that brings in <windows.h>.
#include <winsock2.h>

#include <io.h>
#include <windows.h>

#include "console/EventLoop.h"
#include "console/OutputChannel.h"

#include <cstdio>
#include <string>
#include <system_error>

namespace qz {
namespace {

// The control handler runs on a thread of its own and is given no context, so the events it
// reaches live as long as the process. Both are manual-reset: one loop at a time uses them.
struct ControlEvents {
    HANDLE exit = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // set by the handler
    HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr); // set when the loop is over
};

ControlEvents& Control() {
    static ControlEvents events;
    return events;
}

std::system_error SystemError(const char* what) {
    return std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

std::system_error SocketError(const char* what) {
    return std::system_error(WSAGetLastError(), std::system_category(), what);
}

// The console's keys, one at a time without echo, while this program lives.
class Keyboard {
  public:
    Keyboard() : input_(GetStdHandle(STD_INPUT_HANDLE)) {
        console_ = input_ != INVALID_HANDLE_VALUE && input_ != nullptr && GetConsoleMode(input_, &saved_);
        if (console_)
            SetConsoleMode(input_,
                           (saved_ | ENABLE_PROCESSED_INPUT) & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT));
    }
    ~Keyboard() {
        if (console_) SetConsoleMode(input_, saved_);
    }
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    HANDLE Handle() const { return console_ ? input_ : nullptr; }

    void Read(std::vector<Command>& commands) {
        INPUT_RECORD records[32];
        DWORD waiting = 0;
        DWORD got = 0;
        if (!GetNumberOfConsoleInputEvents(input_, &waiting) ||
            (waiting > 0 && !ReadConsoleInputA(input_, records, 32, &got))) {
            // Unread input keeps the handle signalled: the loop would spin on it.
            std::fprintf(stderr, "The console's keys cannot be read (%s); they are no longer taken.\n",
                         std::system_category().message(static_cast<int>(GetLastError())).c_str());
            console_ = false;
            return;
        }
        for (DWORD i = 0; i < got; ++i) {
            const INPUT_RECORD& record = records[i];
            if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
            if (auto command = CommandForConsoleKey(record.Event.KeyEvent.uChar.AsciiChar))
                commands.push_back(*command);
        }
    }

  private:
    HANDLE input_;
    DWORD saved_ = 0;
    bool console_ = false;
};

class WinEvents final : public EventSource {
  public:
    WinEvents() {
        const ControlEvents& control = Control();
        if (control.exit == nullptr || control.ended == nullptr) throw SystemError("CreateEvent");
        ResetEvent(control.exit);
        ResetEvent(control.ended);
        socketEvent_ = WSACreateEvent();
        if (socketEvent_ == WSA_INVALID_EVENT) throw SystemError("WSACreateEvent");
        if (!SetConsoleCtrlHandler(OnConsoleControl, TRUE)) throw SystemError("SetConsoleCtrlHandler");
        // Without it the configuration can still be reloaded from the console.
        const std::string name = ReloadEventName(GetCurrentProcessId());
        reloadEvent_ = CreateEventA(nullptr, FALSE, FALSE, name.c_str());
        if (reloadEvent_ == nullptr)
            std::fprintf(stderr, "The event %s could not be created (%s); the key c still reloads.\n",
                         name.c_str(),
                         std::system_category().message(static_cast<int>(GetLastError())).c_str());
    }

    ~WinEvents() override {
        // The loop is over: a handler that holds the process for it may let it end now.
        SetEvent(Control().ended);
        SetConsoleCtrlHandler(OnConsoleControl, FALSE);
        WSACloseEvent(socketEvent_);
        if (reloadEvent_ != nullptr) CloseHandle(reloadEvent_);
    }

    WinEvents(const WinEvents&) = delete;
    WinEvents& operator=(const WinEvents&) = delete;

    SteadyTime Now() const override { return std::chrono::steady_clock::now(); }

    Wakeup Wait(std::intptr_t socket, std::optional<SteadyTime> deadline) override {
        Follow(socket);
        HANDLE handles[4];
        DWORD count = 0;
        handles[count++] = Control().exit;
        const DWORD reload = count;
        if (reloadEvent_ != nullptr) handles[count++] = reloadEvent_;
        if (socket >= 0) handles[count++] = socketEvent_;
        if (HANDLE keys = keyboard_.Handle()) handles[count++] = keys;

        Wakeup wakeup;
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, Timeout(deadline));
        if (result == WAIT_FAILED) throw SystemError("WaitForMultipleObjects");
        if (result == WAIT_TIMEOUT) return wakeup;
        // The exit event stays set: every wait from now on reports it until the loop ends.
        if (WaitForSingleObject(Control().exit, 0) == WAIT_OBJECT_0) wakeup.commands.push_back(Command::Exit);
        // An auto-reset event: the wait took it if it was the one that woke us, else it is looked at.
        if (reloadEvent_ != nullptr &&
            (result == WAIT_OBJECT_0 + reload || WaitForSingleObject(reloadEvent_, 0) == WAIT_OBJECT_0))
            wakeup.commands.push_back(Command::Reload);
        if (socket >= 0) {
            WSANETWORKEVENTS happened{};
            // Also resets the event; a receive that leaves data waiting sets it again.
            if (WSAEnumNetworkEvents(static_cast<SOCKET>(socket), socketEvent_, &happened) != 0)
                throw SocketError("WSAEnumNetworkEvents on the link socket");
            wakeup.socketReadable = (happened.lNetworkEvents & FD_READ) != 0;
        }
        if (keyboard_.Handle() != nullptr) keyboard_.Read(wakeup.commands);
        return wakeup;
    }

  private:
    // Ties the network event to the socket the program now uses.
    void Follow(std::intptr_t socket) {
        if (socket == watched_) return;
        watched_ = socket;
        // Without it the link's messages would never wake the loop.
        if (socket >= 0 && WSAEventSelect(static_cast<SOCKET>(socket), socketEvent_, FD_READ) != 0)
            throw SocketError("WSAEventSelect on the link socket");
    }

    DWORD Timeout(std::optional<SteadyTime> deadline) const {
        if (!deadline) return INFINITE;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Now()).count();
        return left < 0 ? 0 : static_cast<DWORD>(left);
    }

    WSAEVENT socketEvent_ = WSA_INVALID_EVENT;
    HANDLE reloadEvent_ = nullptr;
    std::intptr_t watched_ = -1;
    Keyboard keyboard_;
};

// A standard stream through its handle. Windows has no portable way to write a pipe without
// waiting; the console and files take what they are given.
class WinStreamEnd final : public StreamEnd {
  public:
    explicit WinStreamEnd(int number)
        : handle_(GetStdHandle(number == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE)) {}

    std::optional<std::size_t> WriteSome(std::string_view text) override {
        DWORD written = 0;
        if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE ||
            !WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written == 0)
            return std::nullopt;
        return static_cast<std::size_t>(written);
    }

  private:
    HANDLE handle_;
};

} // namespace

std::optional<Command> CommandForConsoleKey(char key) {
    // c reloads the configuration, as SIGHUP does where there are signals.
    if (key == 'c' || key == 'C') return Command::Reload;
    return CommandForKey(key);
}

BOOL WINAPI OnConsoleControl(DWORD type) {
    SetEvent(Control().exit);
    // Windows ends the process as soon as the handler returns from these (and at the latest after a
    // few seconds): hold it until the loop has logged its end.
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(Control().ended, INFINITE);
    return TRUE;
}

std::unique_ptr<StreamEnd> MakeStreamEnd(int number) {
    return std::make_unique<WinStreamEnd>(number);
}

std::unique_ptr<EventSource> MakeEventSource() {
    return std::make_unique<WinEvents>();
}

bool IsTerminal(int number) {
    return _isatty(number) != 0;
}

} // namespace qz
