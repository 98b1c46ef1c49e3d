// A stand-in for logind on a private bus. It answers as its command line says and writes every
// call it receives to a log file, one line each: the method, then its arguments.
//
//   fake_logind --address ADDRESS --log FILE [--answer CanX=ANSWER]... [--refuse METHOD]...
//               [--inhibitor WHAT|WHO|WHY|MODE|UID|PID]... [--no-session]
//
// It connects only to the address it is given, never to the system bus.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <systemd/sd-bus.h>

namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSessionPath = "/org/freedesktop/login1/session/_31";
constexpr const char* kSession = "org.freedesktop.login1.Session";

struct Inhibitor {
    std::string what, who, why, mode;
    uint32_t uid = 0, pid = 0;
};

struct Fake {
    std::FILE* log = nullptr;
    std::map<std::string, std::string> answers;
    std::set<std::string> refused;
    std::vector<Inhibitor> inhibitors;
    bool noSession = false;

    void Record(const std::string& line) {
        std::fprintf(log, "%s\n", line.c_str());
        std::fflush(log);
    }
};

Inhibitor ParseInhibitor(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, '|');)
        parts.push_back(part);
    if (parts.size() != 6) {
        std::fprintf(stderr, "fake_logind: bad inhibitor %s\n", text.c_str());
        std::exit(2);
    }
    return {parts[0],
            parts[1],
            parts[2],
            parts[3],
            static_cast<uint32_t>(std::stoul(parts[4])),
            static_cast<uint32_t>(std::stoul(parts[5]))};
}

int ReplyInhibitors(sd_bus_message* call, const Fake& fake) {
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_return(call, &reply);
    if (r >= 0) r = sd_bus_message_open_container(reply, 'a', "(ssssuu)");
    for (const Inhibitor& i : fake.inhibitors)
        if (r >= 0)
            r = sd_bus_message_append(reply, "(ssssuu)", i.what.c_str(), i.who.c_str(), i.why.c_str(),
                                      i.mode.c_str(), i.uid, i.pid);
    if (r >= 0) r = sd_bus_message_close_container(reply);
    if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
}

// The empty reply of an action, or its refusal when the command line asked for one.
int ReplyToAction(sd_bus_message* call, const Fake& fake, const std::string& member) {
    if (fake.refused.count(member))
        return sd_bus_reply_method_errorf(call, "org.freedesktop.DBus.Error.AccessDenied",
                                          "Access denied by the fake logind");
    return sd_bus_reply_method_return(call, nullptr);
}

int OnCall(sd_bus_message* call, void* userdata, sd_bus_error*) {
    Fake& fake = *static_cast<Fake*>(userdata);
    const char* memberName = sd_bus_message_get_member(call);
    const std::string member = memberName ? memberName : "";

    if (sd_bus_message_is_method_call(call, kSession, "Terminate")) {
        fake.Record("Terminate " + std::string(sd_bus_message_get_path(call)));
        return ReplyToAction(call, fake, member);
    }
    if (!sd_bus_message_is_method_call(call, kManager, nullptr)) return 0;

    if (member.rfind("Can", 0) == 0) {
        fake.Record(member);
        auto it = fake.answers.find(member);
        return sd_bus_reply_method_return(call, "s", it == fake.answers.end() ? "yes" : it->second.c_str());
    }
    if (member == "PowerOff" || member == "Reboot" || member == "Hibernate" || member == "Suspend") {
        int interactive = 0;
        if (int r = sd_bus_message_read(call, "b", &interactive); r < 0) return r;
        fake.Record(member + (interactive ? " true" : " false"));
        return ReplyToAction(call, fake, member);
    }
    if (member == "ListInhibitors") {
        fake.Record(member);
        return ReplyInhibitors(call, fake);
    }
    if (member == "GetSessionByPID") {
        uint32_t pid = 0;
        if (int r = sd_bus_message_read(call, "u", &pid); r < 0) return r;
        fake.Record(member + " " + std::to_string(pid));
        if (fake.noSession)
            return sd_bus_reply_method_errorf(call, "org.freedesktop.login1.NoSessionForPID",
                                              "PID %u does not belong to any known session", pid);
        return sd_bus_reply_method_return(call, "o", kSessionPath);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Fake fake;
    std::string address, logPath;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--no-session") {
            fake.noSession = true;
            continue;
        }
        if (i + 1 >= argc) return 2;
        const std::string value = argv[++i];
        if (option == "--address")
            address = value;
        else if (option == "--log")
            logPath = value;
        else if (option == "--refuse")
            fake.refused.insert(value);
        else if (option == "--inhibitor")
            fake.inhibitors.push_back(ParseInhibitor(value));
        else if (option == "--answer" && value.find('=') != std::string::npos)
            fake.answers[value.substr(0, value.find('='))] = value.substr(value.find('=') + 1);
        else
            return 2;
    }
    if (address.empty() || logPath.empty()) return 2;
    fake.log = std::fopen(logPath.c_str(), "a");
    if (!fake.log) return 2;

    sd_bus* bus = nullptr;
    int r = sd_bus_new(&bus);
    if (r >= 0) r = sd_bus_set_address(bus, address.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
    if (r >= 0) r = sd_bus_start(bus);
    if (r >= 0) r = sd_bus_add_object(bus, nullptr, kManagerPath, OnCall, &fake);
    if (r >= 0) r = sd_bus_add_object(bus, nullptr, kSessionPath, OnCall, &fake);
    // Queued, so that a fake started right after another takes over once that one has gone.
    if (r >= 0) r = sd_bus_request_name(bus, kService, SD_BUS_NAME_QUEUE);
    while (r >= 0) {
        r = sd_bus_process(bus, nullptr);
        if (r == 0) r = sd_bus_wait(bus, UINT64_MAX);
    }
    std::fprintf(stderr, "fake_logind: %s\n", std::strerror(-r));
    return 1;
}
