#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/Backend.h"
#include "platform/Crypto.h"
#include "platform/ThreadedResolver.h"
#include "tests/link/Loopback.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

using namespace std::chrono_literals;
using Address = std::optional<std::string>;

// The answer once there, asking for at most ten seconds.
template <typename Ask> auto Eventually(Ask ask) {
    for (int i = 0; i < 1000; ++i, std::this_thread::sleep_for(10ms))
        if (auto answer = ask()) return answer;
    return ask();
}

// Lookups that each wait until the test answers them by number (from 1), in any order.
struct HeldLookups {
    std::mutex mutex;
    std::condition_variable answered;
    std::map<size_t, Address> answers;
    std::atomic<size_t> asked = 0;
};

TEST(LinkBackend, TheSocketCarriesDatagramsWholeInOrderAndFreesItsPortTheResolverCachesAndLooksUpAfresh) {
    int aPort = 0, bPort = 0;
    auto a = MakeUdpSocket(), b = MakeUdpSocket(), c = MakeUdpSocket();
    ASSERT_TRUE(a->Bind(aPort = FreeUdpPort()) && b->Bind(bPort = FreeUdpPort()));
    EXPECT_EQ(b->Receive(), std::nullopt); // a blocking socket would hang here
    const std::string data[] = {"<QZA100>", std::string(8000, 'x'), "", std::string("<Q\0Z>\xff", 6)};
    for (const auto& d : data)
        ASSERT_TRUE(a->SendTo("127.0.0.1", bPort, d));
    for (const auto& d : data)
        EXPECT_EQ(Eventually([&] { return b->Receive(); }), d);
    for (int port : {aPort, 0, 65536}) // in use or out of range
        EXPECT_FALSE(c->Bind(port)) << port;
    EXPECT_EQ(std::tuple(c->NativeHandle(), c->SendTo("127.0.0.1", aPort, "<QZA100>"), c->Receive()),
              std::tuple(-1, false, std::nullopt));
    a->Close();
    EXPECT_EQ(a->NativeHandle(), -1);
    ASSERT_TRUE(b->Bind(aPort));
    EXPECT_TRUE(c->Bind(bPort));
    auto held = std::make_shared<HeldLookups>();
    ThreadedResolver resolver([held](const std::string&) {
        std::unique_lock lock(held->mutex);
        const size_t n = ++held->asked;
        held->answered.wait(lock, [&] { return held->answers.contains(n); });
        return held->answers[n];
    });
    auto answer = [&](size_t n, Address address) {
        std::lock_guard lock(held->mutex);
        held->answers[n] = std::move(address);
        held->answered.notify_all();
    };
    EXPECT_EQ(resolver.Lookup("127.01.1.1"), "127.1.1.1"); // numeric: no lookup, leading zeros decimal
    EXPECT_FALSE(resolver.Lookup("peer") || resolver.Lookup("peer")); // returns while the lookup is held
    answer(1, std::nullopt);                                          // a failure leaves nothing cached
    EXPECT_TRUE(Eventually([&] { return !resolver.Lookup("peer") && held->asked == 2; }));
    answer(2, "127.5.5.5");
    EXPECT_EQ(Eventually([&] { return resolver.Lookup("peer"); }), "127.5.5.5");
    resolver.Forget("peer"); // after a failed send
    resolver.Lookup("peer");
    ASSERT_TRUE(Eventually([&] { return held->asked == 3; }));
    resolver.Forget("peer"); // while that lookup runs: its answer comes too late
    resolver.Lookup("peer");
    answer(4, "127.8.8.8");
    EXPECT_EQ(Eventually([&] { return resolver.Lookup("peer"); }), "127.8.8.8");
    answer(3, "127.7.7.7");
    std::this_thread::sleep_for(100ms); // room for a wrong overwrite to land
    EXPECT_EQ(std::tuple(resolver.Lookup("peer"), held->asked.load()), std::tuple(Address("127.8.8.8"), 4u));
    auto system = MakeNameResolver(); // the system's, in the background too
    EXPECT_EQ(Eventually([&] { return system->Lookup("localhost"); }), "127.0.0.1");
}

TEST(Crypto, HmacMeetsTheRfc4231VectorsRandomBytesDifferAndASecretFileIsNeitherReplacedNorReadByAll) {
    const std::tuple<std::string, std::string, std::string> vectors[] = {
        {"Jefe", "what do ya want for nothing?",
         "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {std::string(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First", // hashed first
         "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
    };
    for (const auto& [key, data, tag] : vectors) {
        std::string hex;
        for (uint8_t byte : HmacSha256(key, data).value_or(Sha256Digest{}))
            hex += "0123456789abcdef"[byte >> 4], hex += "0123456789abcdef"[byte & 15];
        EXPECT_EQ(hex, tag) << data;
    }
    const auto a = RandomBytes(32), b = RandomBytes(32);
    EXPECT_EQ(std::tuple(a.value_or("").size(), a == b), std::tuple(32u, false));
    // The start-up tests read keys of each fault; here a key is never replaced, nor read once others may.
    TempDir dir;
    const auto key = dir.path() / "Quenzel.key";
    ASSERT_EQ(WriteSecretFile(key, "secret"), std::nullopt);
    EXPECT_NE(WriteSecretFile(key, "other"), std::nullopt);
    EXPECT_EQ(ReadSecretFile(key, 64).bytes, "secret");
#ifndef _WIN32 // there the start-up test reads a key written the ordinary way
    std::filesystem::permissions(key, std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(ReadSecretFile(key, 64).fault, SecretFile::Fault::OpenToAll);
#endif
}

} // namespace
} // namespace qz::test
