#include "platform/ThreadedResolver.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <array>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace qz {

struct ThreadedResolver::Cache {
    explicit Cache(BlockingLookup l) : lookup(std::move(l)) {}
    struct Entry {
        unsigned long long ticket;
        std::optional<std::string> address; // nullopt while the lookup runs
    };
    const BlockingLookup lookup;
    std::mutex mutex;
    std::map<std::string, Entry> entries; // a failed lookup leaves no entry, so the next ask retries
    unsigned long long lastTicket = 0;
};

ThreadedResolver::ThreadedResolver(BlockingLookup lookup)
    : cache_(std::make_shared<Cache>(std::move(lookup))) {}

std::optional<std::string> ThreadedResolver::Lookup(const std::string& host) {
    if (auto numeric = NumericIPv4(host)) return numeric;

    std::lock_guard lock(cache_->mutex);
    if (auto it = cache_->entries.find(host); it != cache_->entries.end()) return it->second.address;

    unsigned long long ticket = ++cache_->lastTicket;
    cache_->entries[host] = {ticket, std::nullopt};
    try {
        std::thread(&ThreadedResolver::Resolve, cache_, host, ticket).detach();
    } catch (const std::system_error&) {
        cache_->entries.erase(host); // no thread to spare now; the next ask tries again
    }
    return std::nullopt;
}

void ThreadedResolver::Forget(const std::string& host) {
    std::lock_guard lock(cache_->mutex);
    cache_->entries.erase(host);
}

void ThreadedResolver::Resolve(const std::shared_ptr<Cache>& cache, const std::string& host,
                               unsigned long long ticket) {
    std::optional<std::string> address;
    try {
        address = cache->lookup(host);
    } catch (...) {
        // An exception must not escape the thread; it counts as a failed lookup.
    }
    std::lock_guard lock(cache->mutex);
    auto it = cache->entries.find(host);
    if (it == cache->entries.end() || it->second.ticket != ticket) return; // forgotten meanwhile
    if (address)
        it->second.address = std::move(address);
    else
        cache->entries.erase(it);
}

std::optional<std::string> LookUpIPv4(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
    std::optional<std::string> address;
    std::array<char, INET_ADDRSTRLEN> text{};
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, text.data(), text.size())) address = text.data();
    freeaddrinfo(found);
    return address;
}

std::optional<std::string> NumericIPv4(std::string_view text) {
    std::string dotted;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') return std::nullopt;
            text.remove_prefix(1);
            dotted += '.';
        }
        int value = 0;
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            if (digits == 3) return std::nullopt;
            value = value * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255) return std::nullopt;
        text.remove_prefix(digits);
        dotted += std::to_string(value);
    }
    if (!text.empty()) return std::nullopt;
    return dotted;
}

} // namespace qz
