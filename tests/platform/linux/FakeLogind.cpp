// A stand-in for logind on the private bus at ADDRESS: logs each call (method and arguments) as a line
// of CALLS-FILE and says "ready" once it owns logind's name. An inhibitor is WHAT|WHO|WHY|MODE|PID.
//   fake_logind ADDRESS CALLS-FILE [CanX=ANSWER | METHOD=ERROR-NAME | ListInhibitors=INHIBITOR;...]...
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

#include <systemd/sd-bus.h>

namespace {

struct Fake {
    std::FILE* calls = nullptr;
    std::map<std::string, std::string> options; // method -> its answer; "yes" for CanX when not given
};

int ReplyInhibitors(sd_bus_message* call, const std::string& inhibitors) {
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_return(call, &reply);
    if (r >= 0) r = sd_bus_message_open_container(reply, 'a', "(ssssuu)");
    std::istringstream list(inhibitors);
    for (std::string text; std::getline(list, text, ';');) {
        char what[64] = "", who[64] = "", why[64] = "", mode[16] = "";
        unsigned pid = 0;
        std::sscanf(text.c_str(), "%63[^|]|%63[^|]|%63[^|]|%15[^|]|%u", what, who, why, mode, &pid);
        if (r >= 0) r = sd_bus_message_append(reply, "(ssssuu)", what, who, why, mode, 0u, pid);
    }
    if (r >= 0) r = sd_bus_message_close_container(reply);
    if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
}

int OnCall(sd_bus_message* call, void* userdata, sd_bus_error*) {
    Fake& fake = *static_cast<Fake*>(userdata);
    if (!sd_bus_message_get_member(call)) return 0;
    const std::string member = sd_bus_message_get_member(call);
    const std::string option = fake.options.count(member) ? fake.options[member] : "";
    std::string line = member;
    int interactive = 0;
    if (sd_bus_message_read(call, "b", &interactive) > 0) line += interactive ? " true" : " false";
    std::fprintf(fake.calls, "%s\n", line.c_str());
    std::fflush(fake.calls);

    if (member.starts_with("Can"))
        return sd_bus_reply_method_return(call, "s", option.empty() ? "yes" : option.c_str());
    if (member == "ListInhibitors") return ReplyInhibitors(call, option);
    if (!option.empty())
        return sd_bus_reply_method_errorf(call, option.c_str(), "Refused by the fake logind");
    return sd_bus_reply_method_return(call, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    Fake fake;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        const size_t equals = option.find('=');
        if (equals != std::string::npos) fake.options[option.substr(0, equals)] = option.substr(equals + 1);
    }
    fake.calls = std::fopen(argv[2], "a");
    sd_bus* bus = nullptr;
    int r = fake.calls ? sd_bus_new(&bus) : -1;
    if (r >= 0) r = sd_bus_set_address(bus, argv[1]);
    if (r >= 0) r = sd_bus_set_bus_client(bus, 1);
    if (r >= 0) r = sd_bus_start(bus);
    if (r >= 0) r = sd_bus_add_object(bus, nullptr, "/org/freedesktop/login1", OnCall, &fake);
    // A fake started right after another waits until that one has gone, then says it is ready.
    while (r >= 0 && (r = sd_bus_request_name(bus, "org.freedesktop.login1", 0)) == -EEXIST)
        usleep(10000);
    if (r >= 0 && std::printf("ready\n") > 0) std::fflush(stdout);
    while (r >= 0) {
        r = sd_bus_process(bus, nullptr);
        if (r == 0) r = sd_bus_wait(bus, UINT64_MAX);
    }
    return 1;
}
