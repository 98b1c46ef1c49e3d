#pragma once
#include <memory>
#include <string>

#include <systemd/sd-bus.h>

namespace qz::logind {

inline constexpr const char* kService = "org.freedesktop.login1";
inline constexpr const char* kManagerPath = "/org/freedesktop/login1";
inline constexpr const char* kManager = "org.freedesktop.login1.Manager";
inline constexpr const char* kSession = "org.freedesktop.login1.Session";

struct BusError {
    std::string name; // the D-Bus error name; empty when the bus itself failed
    std::string message;
};

struct MessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// The system's text for a negative sd-bus result.
std::string ErrnoText(int result);

// One connection to the system bus for one request: nothing is kept between requests, so the
// bus address in force at the time of the request is the one used.
class Bus {
  public:
    // Connects to the system bus; false with the system's text when it cannot be reached.
    bool Open(BusError& error);

    // Calls a method of logind; its reply, or null with the error.
    template <typename... Args>
    Message Call(const char* path, const char* interface, const char* member, BusError& error,
                 const char* types, Args... args) {
        sd_bus_error e = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int result =
            sd_bus_call_method(bus_.get(), kService, path, interface, member, &e, &reply, types, args...);
        return Finish(result, e, reply, error);
    }

  private:
    static Message Finish(int result, sd_bus_error& e, sd_bus_message* reply, BusError& error);

    struct BusUnref {
        void operator()(sd_bus* b) const { sd_bus_flush_close_unref(b); }
    };
    std::unique_ptr<sd_bus, BusUnref> bus_;
};

} // namespace qz::logind
