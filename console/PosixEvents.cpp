// The event source of POSIX systems: poll() over the link socket, a self-pipe that the signal
// handlers write to, and the terminal's keys.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>

#include "console/EventLoop.h"
#include "console/OutputChannel.h"

namespace qz {
namespace {

// A signal handler can only reach the loop through a descriptor it knows without being told.
volatile sig_atomic_t signalPipeWrite = -1;

void OnSignal(int number) {
    if (signalPipeWrite < 0) return;
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] ssize_t written = write(signalPipeWrite, &byte, 1);
    errno = saved;
}

std::system_error SystemError(const char* what) {
    return std::system_error(errno, std::generic_category(), what);
}

std::optional<Command> CommandForSignal(int number) {
    switch (number) {
    case SIGINT:
    case SIGTERM:
        return Command::Exit;
    case SIGUSR1:
        return Command::Reset;
    case SIGUSR2:
        return Command::Test;
    case SIGHUP:
        return Command::Reload;
    default:
        return std::nullopt;
    }
}

constexpr std::array<int, 7> kCaughtSignals{SIGINT, SIGTERM, SIGUSR1, SIGUSR2, SIGHUP, SIGTSTP, SIGCONT};

// The terminal on standard input, in raw mode without echo while this program owns it, so single
// keys arrive at once. Only a program in the terminal's foreground takes it: a background job
// that touched it would be stopped.
class Keyboard {
  public:
    Keyboard() {
        terminal_ = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &saved_) == 0;
        Resume();
    }
    ~Keyboard() { Suspend(); }
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    bool Active() const { return terminal_ && Foreground(); }

    void Resume() {
        if (!Active()) return;
        termios raw = saved_;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        raw_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }

    void Suspend() {
        if (!raw_) return;
        // Blocked, SIGTTOU cannot stop a program that lost the foreground while giving it back.
        sigset_t block, old;
        sigemptyset(&block);
        sigaddset(&block, SIGTTOU);
        sigprocmask(SIG_BLOCK, &block, &old);
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
        sigprocmask(SIG_SETMASK, &old, nullptr);
        raw_ = false;
    }

    void Read(std::vector<Command>& commands) {
        std::array<char, 64> keys{};
        const ssize_t got = read(STDIN_FILENO, keys.data(), keys.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) return;
        if (got <= 0) {
            // The terminal is gone; the program runs on without its keys.
            Suspend();
            terminal_ = false;
            return;
        }
        for (ssize_t i = 0; i < got; ++i)
            if (auto command = CommandForKey(keys[static_cast<size_t>(i)])) commands.push_back(*command);
    }

  private:
    static bool Foreground() {
        // A terminal that is not our controlling one has no foreground for us to wait for.
        const pid_t owner = tcgetpgrp(STDIN_FILENO);
        return owner < 0 || owner == getpgrp();
    }

    bool terminal_ = false;
    bool raw_ = false;
    termios saved_{};
};

class PosixEvents final : public EventSource {
  public:
    PosixEvents() {
        std::array<int, 2> ends{};
        if (pipe2(ends.data(), O_NONBLOCK | O_CLOEXEC) != 0) throw SystemError("pipe2");
        pipeRead_ = ends[0];
        signalPipeWrite = ends[1];
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int number : kCaughtSignals)
            sigaction(number, &action, nullptr);
        // Output to a closed pipe must fail as a write, not end the program; a background job's
        // output to its terminal must not stop it.
        signal(SIGPIPE, SIG_IGN);
        signal(SIGTTOU, SIG_IGN);
    }

    // The handlers stay: a SIGTERM that comes while the program finishes must not kill it and
    // change its exit status.
    ~PosixEvents() override {
        const int writeEnd = signalPipeWrite;
        signalPipeWrite = -1;
        close(writeEnd);
        close(pipeRead_);
    }

    PosixEvents(const PosixEvents&) = delete;
    PosixEvents& operator=(const PosixEvents&) = delete;

    SteadyTime Now() const override { return std::chrono::steady_clock::now(); }

    Wakeup Wait(std::intptr_t socket, std::optional<SteadyTime> deadline) override {
        std::array<pollfd, 3> watched{};
        nfds_t count = 0;
        watched[count++] = {pipeRead_, POLLIN, 0};
        const int socketIndex = socket >= 0 ? static_cast<int>(count) : -1;
        if (socket >= 0) watched[count++] = {static_cast<int>(socket), POLLIN, 0};
        const int keysIndex = keyboard_.Active() ? static_cast<int>(count) : -1;
        if (keysIndex >= 0) watched[count++] = {STDIN_FILENO, POLLIN, 0};

        Wakeup wakeup;
        if (poll(watched.data(), count, Timeout(deadline)) < 0) {
            if (errno == EINTR) return wakeup;
            throw SystemError("poll");
        }
        if (watched[0].revents != 0) ReadSignals(wakeup.commands);
        // An error waiting on the socket is read by the receive, which clears it.
        if (socketIndex >= 0 && watched[static_cast<size_t>(socketIndex)].revents != 0)
            wakeup.socketReadable = true;
        if (keysIndex >= 0 && watched[static_cast<size_t>(keysIndex)].revents != 0)
            keyboard_.Read(wakeup.commands);
        return wakeup;
    }

  private:
    // Milliseconds until the deadline, rounded up so the loop never wakes before it; -1 = none.
    int Timeout(std::optional<SteadyTime> deadline) const {
        if (!deadline) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Now()).count();
        return left < 0 ? 0 : static_cast<int>(left);
    }

    void ReadSignals(std::vector<Command>& commands) {
        std::array<unsigned char, 64> numbers{};
        ssize_t got;
        while ((got = read(pipeRead_, numbers.data(), numbers.size())) > 0) {
            for (ssize_t i = 0; i < got; ++i)
                Handle(numbers[static_cast<size_t>(i)], commands);
        }
    }

    void Handle(int number, std::vector<Command>& commands) {
        if (number == SIGTSTP) {
            // Give the terminal back before stopping; SIGCONT takes it again.
            keyboard_.Suspend();
            kill(getpid(), SIGSTOP);
        } else if (number == SIGCONT) {
            keyboard_.Resume();
        } else if (auto command = CommandForSignal(number)) {
            commands.push_back(*command);
        }
    }

    int pipeRead_ = -1;
    Keyboard keyboard_;
};

// A standard stream written without waiting. A pipe, FIFO or terminal is opened afresh with
// O_NONBLOCK: setting the flag on the descriptor itself would change it for every process that
// shares it (the shell's terminal). A regular file is written as it is.
class PosixStreamEnd final : public StreamEnd {
  public:
    explicit PosixStreamEnd(int fd) : fd_(fd) {
        struct stat status {};
        if (fstat(fd, &status) != 0 || S_ISREG(status.st_mode)) return;
        if (S_ISSOCK(status.st_mode)) {
            socket_ = true;
            return;
        }
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        const int own = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (own >= 0) {
            fd_ = own;
            owned_ = true;
        } else {
            askFirst_ = true; // no reader yet, or no /proc: ask before each write
        }
    }
    ~PosixStreamEnd() override {
        if (owned_) close(fd_);
    }
    PosixStreamEnd(const PosixStreamEnd&) = delete;
    PosixStreamEnd& operator=(const PosixStreamEnd&) = delete;

    std::optional<std::size_t> WriteSome(std::string_view text) override {
        if (askFirst_) {
            pollfd ready{fd_, POLLOUT, 0};
            if (poll(&ready, 1, 0) != 1 || (ready.revents & POLLOUT) == 0) return std::nullopt;
        }
        ssize_t written;
        do {
            written = socket_ ? send(fd_, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL)
                              : write(fd_, text.data(), text.size());
        } while (written < 0 && errno == EINTR);
        if (written <= 0) return std::nullopt;
        return static_cast<std::size_t>(written);
    }

  private:
    int fd_;
    bool owned_ = false;
    bool socket_ = false;
    bool askFirst_ = false;
};

} // namespace

std::unique_ptr<StreamEnd> MakeStreamEnd(int number) {
    return std::make_unique<PosixStreamEnd>(number);
}

std::unique_ptr<EventSource> MakeEventSource() {
    return std::make_unique<PosixEvents>();
}

bool IsTerminal(int number) {
    return isatty(number) == 1;
}

} // namespace qz
