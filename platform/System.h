#pragma once
#include <memory>
#include <string>

namespace qz {

// A named guard between processes of one user ("Quenzel" for this program).
class InstanceGuard {
  public:
    virtual ~InstanceGuard() = default;
    using Handle = long;
    // Creates or opens the guard; existed tells whether another process already held it.
    // Returns 0 when it could not be created at all.
    virtual Handle Create(const std::string& name, bool initialOwner, bool& existed) = 0;
    virtual void Close(Handle handle) = 0;

    // Who holds the guard, as far as the platform can tell: its process id (0 unknown) and where
    // the guard lives (empty unknown).
    struct Holder {
        long pid = 0;
        std::string where;
    };
    virtual Holder HolderOf(const std::string&) { return {}; }
};

// Small services of the operating system that the program uses without looking at the result,
// or only as a yes/no answer.
class SystemServices {
  public:
    virtual ~SystemServices() = default;
    // Raises this process and its thread to high priority; best effort.
    virtual void RaisePriority() = 0;
    // Whether the user belongs to the administrators (Linux: uid 0 or group sudo, wheel, admin).
    virtual bool UserIsAdministrator() = 0;
    // Opens an address in the user's browser. Returns the platform's code: above 32 = success.
    virtual int OpenAddress(const std::string& address) = 0;
    // Starts the text viewer on a file without waiting. False when it could not be started.
    virtual bool StartViewer(const std::string& path) = 0;
};

} // namespace qz
