#include "platform/Backend.h"

#include <windows.h>

namespace qz {
namespace {

// A named mutex. Handles fit in 32 bits on 64-bit Windows, so they travel as the guard's Handle.
class WinInstanceGuard final : public InstanceGuard {
  public:
    Handle Create(const std::string& name, bool initialOwner, bool& existed) override {
        HANDLE mutex = CreateMutexA(nullptr, initialOwner ? TRUE : FALSE, name.c_str());
        existed = GetLastError() == ERROR_ALREADY_EXISTS;
        return HandleToLong(mutex);
    }

    void Close(Handle handle) override {
        if (handle != 0) CloseHandle(LongToHandle(handle));
    }
};

} // namespace

std::unique_ptr<InstanceGuard> MakeInstanceGuard() {
    return std::make_unique<WinInstanceGuard>();
}

} // namespace qz
