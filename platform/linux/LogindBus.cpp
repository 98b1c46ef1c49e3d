#include "platform/linux/LogindBus.h"

#include <system_error>

namespace qz::logind {

std::string ErrnoText(int result) {
    return std::generic_category().message(-result);
}

bool Bus::Open(BusError& error) {
    sd_bus* bus = nullptr;
    // Honours DBUS_SYSTEM_BUS_ADDRESS.
    int result = sd_bus_open_system(&bus);
    bus_.reset(bus);
    if (result >= 0) return true;
    error = {"", ErrnoText(result)};
    return false;
}

Message Bus::Finish(int result, sd_bus_error& e, sd_bus_message* reply, BusError& error) {
    Message owned(reply);
    if (result < 0) {
        error.name = e.name ? e.name : "";
        error.message = e.message ? e.message : ErrnoText(result);
        owned.reset();
    }
    sd_bus_error_free(&e);
    return owned;
}

} // namespace qz::logind
