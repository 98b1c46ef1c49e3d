#include "platform/Backend.h"

#include <windows.h>

#include <cstdio>
#include <system_error>

namespace qz {
namespace {

// A named mutex. Handles fit in 32 bits on 64-bit Windows, so they travel as the guard's Handle.
class WinInstanceGuard final : public InstanceGuard {
  public:
    Handle Create(const std::string& name, bool initialOwner, bool& existed) override {
        HANDLE mutex = CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, name.c_str());
        const DWORD error = GetLastError();
        existed = error == ERROR_ALREADY_EXISTS;
        if (mutex == nullptr) {
            // A mutex of that name that this user may not open: another user's copy holds it.
            if (error == ERROR_ACCESS_DENIED)
                existed = true;
            else if (!told_) {
                told_ = true;
                std::fprintf(
                    stderr,
                    "The single-instance lock \"%s\" could not be created (%s); this copy runs as if "
                    "it were the only one.\n",
                    name.c_str(), std::system_category().message(static_cast<int>(error)).c_str());
            }
        }
        return HandleToLong(mutex);
    }

    void Close(Handle handle) override {
        if (handle != 0) CloseHandle(LongToHandle(handle));
    }

  private:
    bool told_ = false; // the program asks more than once
};

} // namespace

std::unique_ptr<InstanceGuard> MakeInstanceGuard() {
    return std::make_unique<WinInstanceGuard>();
}

} // namespace qz
