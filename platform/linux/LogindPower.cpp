#include <cstdint>
#include <cstring>
#include <string>

#include "platform/Backend.h"
#include "platform/linux/LogindBus.h"

namespace qz {

namespace {

using logind::BusError;

struct ActionMethods {
    const char* method;     // the Manager's method that carries the action out
    const char* canMethod;  // the Manager's method that says whether we may
    const char* inhibitKey; // the inhibitor kind that can block it
    const char* words;      // the action in a sentence
};

const ActionMethods& MethodsOf(PowerAction action) {
    static const ActionMethods powerOff{"PowerOff", "CanPowerOff", "shutdown", "power off"};
    static const ActionMethods reboot{"Reboot", "CanReboot", "shutdown", "reboot"};
    static const ActionMethods hibernate{"Hibernate", "CanHibernate", "sleep", "hibernate"};
    static const ActionMethods suspend{"Suspend", "CanSuspend", "sleep", "suspend"};
    switch (action) {
    case PowerAction::Reboot:
        return reboot;
    case PowerAction::Hibernate:
        return hibernate;
    case PowerAction::Suspend:
        return suspend;
    default:
        return powerOff;
    }
}

// Why logind's answer to a Can* question does not let us act; empty when it does. Only a plain
// "yes" will do: "challenge" would need a password that a program running unattended cannot give.
std::string Refusal(const ActionMethods& m, const std::string& answer) {
    const std::string asked = std::string(" (") + m.canMethod + ": " + answer + ")";
    if (answer == "yes") return "";
    if (answer == "no") return std::string("logind does not allow this user to ") + m.words + asked;
    if (answer == "challenge")
        return std::string("logind asks for authentication to ") + m.words +
               ", which this program cannot give" + asked;
    if (answer == "na") return std::string("This system cannot ") + m.words + asked;
    return std::string("logind gave no permission to ") + m.words + asked;
}

bool ListsKey(const char* list, const char* key) {
    const size_t keyLength = std::strlen(key);
    for (const char* item = list;; ++item) {
        const char* end = std::strchr(item, ':');
        const size_t length = end ? static_cast<size_t>(end - item) : std::strlen(item);
        if (length == keyLength && std::strncmp(item, key, keyLength) == 0) return true;
        if (!end) return false;
        item = end;
    }
}

// Names every holder of a block inhibitor of that kind; empty when nothing blocks. False with the
// error when the list cannot be read.
bool FindBlockers(logind::Bus& bus, const char* key, std::string& blockers, BusError& error) {
    auto reply = bus.Call(logind::kManagerPath, logind::kManager, "ListInhibitors", error, nullptr);
    if (!reply) return false;
    int result = sd_bus_message_enter_container(reply.get(), 'a', "(ssssuu)");
    const char *what = nullptr, *who = nullptr, *why = nullptr, *mode = nullptr;
    uint32_t uid = 0, pid = 0;
    while (result >= 0 && (result = sd_bus_message_read(reply.get(), "(ssssuu)", &what, &who, &why, &mode,
                                                        &uid, &pid)) > 0) {
        if (std::strcmp(mode, "block") != 0 || !ListsKey(what, key)) continue;
        if (!blockers.empty()) blockers += "; ";
        blockers += std::string("Blocked by ") + who + " (PID " + std::to_string(pid) + "): " + why;
    }
    if (result >= 0) return true;
    error = {"", logind::ErrnoText(result)};
    return false;
}

// The object of the login session this process belongs to.
bool FindSession(logind::Bus& bus, std::string& path, BusError& error) {
    // PID 0 asks logind to take the caller's own, which also holds inside a PID namespace.
    auto reply = bus.Call(logind::kManagerPath, logind::kManager, "GetSessionByPID", error, "u", uint32_t{0});
    if (!reply) return false;
    const char* object = nullptr;
    int result = sd_bus_message_read(reply.get(), "o", &object);
    if (result < 0) {
        error = {"", logind::ErrnoText(result)};
        return false;
    }
    path = object;
    return true;
}

class LogindPower : public PowerApi {
  public:
    PrivilegeResult EnableShutdownPrivilege(PowerAction action) override {
        logind::Bus bus;
        BusError error;
        if (!bus.Open(error)) return {PrivilegeStep::TokenFailed, error.message};
        if (action == PowerAction::EndSession) {
            std::string session;
            if (FindSession(bus, session, error)) return {};
            // Without a session of our own there is nothing to end; any other failure is logind's.
            const bool noSession = error.name == "org.freedesktop.login1.NoSessionForPID";
            return {noSession ? PrivilegeStep::NoProcess : PrivilegeStep::TokenFailed, error.message};
        }
        const ActionMethods& m = MethodsOf(action);
        auto reply = bus.Call(logind::kManagerPath, logind::kManager, m.canMethod, error, nullptr);
        if (!reply) return {PrivilegeStep::TokenFailed, error.message};
        const char* answer = nullptr;
        int result = sd_bus_message_read(reply.get(), "s", &answer);
        if (result < 0) return {PrivilegeStep::TokenFailed, logind::ErrnoText(result)};
        std::string refusal = Refusal(m, answer);
        if (!refusal.empty()) return {PrivilegeStep::TokenFailed, refusal};
        return {};
    }

    bool ExitWindows(int flags, std::string& systemText) override {
        const PowerAction action = ExitAction(flags);
        if (action == PowerAction::EndSession) return EndSession(systemText);
        return Request(action, (flags & kExitForce) != 0, systemText);
    }

    bool SetSuspendState(bool hibernate, std::string& systemText) override {
        return Request(hibernate ? PowerAction::Hibernate : PowerAction::Suspend, false, systemText);
    }

  private:
    // A forced request goes ahead over the inhibitors; a normal one respects them.
    static bool Request(PowerAction action, bool forced, std::string& systemText) {
        const ActionMethods& m = MethodsOf(action);
        logind::Bus bus;
        BusError error;
        if (bus.Open(error)) {
            std::string blockers;
            if (!forced && !FindBlockers(bus, m.inhibitKey, blockers, error)) {
                systemText = error.message;
                return false;
            }
            if (!blockers.empty()) {
                systemText = blockers;
                return false;
            }
            // Never interactive: nobody may be there to answer a password prompt.
            if (bus.Call(logind::kManagerPath, logind::kManager, m.method, error, "b", 0)) return true;
        }
        systemText = error.message;
        return false;
    }

    static bool EndSession(std::string& systemText) {
        logind::Bus bus;
        BusError error;
        std::string session;
        if (bus.Open(error) && FindSession(bus, session, error) &&
            bus.Call(session.c_str(), logind::kSession, "Terminate", error, nullptr))
            return true;
        systemText = error.message;
        return false;
    }
};

} // namespace

std::unique_ptr<PowerApi> MakePowerApi() {
    return std::make_unique<LogindPower>();
}

} // namespace qz
