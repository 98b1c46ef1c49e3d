#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/UdpSocket.h"

namespace qz {

// A NameResolver that runs each lookup on a thread of its own and caches the answers. Numeric
// addresses are answered at once. A lookup outlives the resolver if it must; its answer is then
// dropped.
class ThreadedResolver final : public NameResolver {
  public:
    // Answers one name, blocking as long as it takes; nullopt when it has no IPv4 address.
    using BlockingLookup = std::function<std::optional<std::string>(const std::string& host)>;

    explicit ThreadedResolver(BlockingLookup lookup);
    std::optional<std::string> Lookup(const std::string& host) override;
    void Forget(const std::string& host) override;

  private:
    struct Cache;
    static void Resolve(const std::shared_ptr<Cache>& cache, const std::string& host,
                        unsigned long long ticket);
    std::shared_ptr<Cache> cache_;
};

// Asks the system's resolver (hosts file, DNS) for an IPv4 address of host; blocks until answered.
// On Windows, Winsock must have been started.
std::optional<std::string> LookUpIPv4(const std::string& host);

// The dotted decimal form of a numeric IPv4 address ("127.000.0.1" gives "127.0.0.1"), or nullopt
// when the text is not one.
std::optional<std::string> NumericIPv4(std::string_view text);

} // namespace qz
