// Before <windows.h>, whose ExitWindows macro would rename a member of the power interface.
#include "platform/Backend.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cstring>

namespace qz {
namespace {

class SnapshotHandle {
  public:
    explicit SnapshotHandle(HANDLE handle) : handle_(handle) {}
    ~SnapshotHandle() {
        if (valid()) CloseHandle(handle_);
    }
    SnapshotHandle(const SnapshotHandle&) = delete;
    SnapshotHandle& operator=(const SnapshotHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

// The single-byte names match the single-byte configuration file.
class ToolhelpProcessTable final : public ProcessTable {
  public:
    bool ForEachName(const std::function<void(std::string_view)>& visit) override {
        SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot.valid()) return false;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot.get(), &entry); more;
             more = Process32Next(snapshot.get(), &entry)) {
            visit(std::string_view(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile)));
        }
        return GetLastError() == ERROR_NO_MORE_FILES;
    }
};

} // namespace

std::unique_ptr<ProcessTable> MakeProcessTable() {
    return std::make_unique<ToolhelpProcessTable>();
}

} // namespace qz
