#include <gtest/gtest.h>

#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "platform/Backend.h"
#include "platform/Crypto.h"
#include "platform/ThreadedResolver.h"
#include "tests/link/Loopback.h"
#include "tests/support/TempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qz::test {
namespace {

using namespace std::chrono_literals;
using Address = std::optional<std::string>;

// A socket bound to a port that was free a moment ago.
std::unique_ptr<UdpSocket> Bound(int& port) {
    auto socket = MakeUdpSocket();
    for (int tries = 0; tries < 10 && !socket->Bind(port = FreeUdpPort()); ++tries) {
    }
    return socket;
}

TEST(UdpSocket, CarriesDatagramsWholeInOrderAndFreesItsPortWhenClosedOrMoved) {
    int aPort = 0, bPort = 0;
    auto a = Bound(aPort), b = Bound(bPort), c = MakeUdpSocket();
    EXPECT_EQ(b->Receive(), std::nullopt); // a blocking socket would hang here
    const std::string data[] = {"<QZA100>", std::string(8000, 'x'), "", std::string("<Q\0Z>\xff", 6)};
    for (const auto& d : data)
        ASSERT_TRUE(a->SendTo("127.0.0.1", bPort, d));
    for (const auto& d : data)
        EXPECT_EQ(WaitReadable(b->NativeHandle()) ? b->Receive() : std::nullopt, d);
    for (int port : {aPort, 0, 65536}) { // in use or out of range
        EXPECT_FALSE(c->Bind(port)) << port;
        EXPECT_EQ(c->NativeHandle(), -1);
    }
    EXPECT_FALSE(c->SendTo("127.0.0.1", aPort, "<QZA100>"));
    EXPECT_EQ(c->Receive(), std::nullopt);
    a->Close();
    EXPECT_EQ(a->NativeHandle(), -1);
    ASSERT_TRUE(b->Bind(aPort));
    EXPECT_TRUE(c->Bind(bPort));
}

// Asks again and again until the answer is there, for at most ten seconds.
template <typename Ask> auto Eventually(Ask ask) {
    auto answer = ask();
    for (int i = 0; i < 1000 && !answer; ++i) {
        std::this_thread::sleep_for(10ms);
        answer = ask();
    }
    return answer;
}

// Lookups that each wait until the test answers them, call by call. Those left unanswered fail
// when it goes.
struct HeldLookups {
    ThreadedResolver::BlockingLookup Function() {
        return [this](const std::string& host) {
            std::unique_lock lock(mutex);
            asked.push_back(host);
            std::future<Address> answer = answers.emplace_back().get_future();
            lock.unlock();
            return answer.get();
        };
    }
    std::vector<std::string> Asked() {
        std::lock_guard lock(mutex);
        return asked;
    }
    // Answers lookup n (from 1) once it has begun.
    bool Answer(size_t n, Address address) {
        if (!Eventually([&] { return Asked().size() >= n; })) return false;
        std::lock_guard lock(mutex);
        answers[n - 1].set_value(std::move(address));
        return true;
    }
    std::mutex mutex;
    std::vector<std::string> asked;
    std::deque<std::promise<Address>> answers;
};

TEST(ThreadedResolver, AnswersAtOnceLooksUpInTheBackgroundCachesAndLooksUpAfreshAfterAFailureOrForget) {
    HeldLookups held;
    ThreadedResolver resolver(held.Function());
    auto settled = [&](const char* host) { return Eventually([&] { return resolver.Lookup(host); }); };
    EXPECT_EQ(resolver.Lookup("127.01.1.1"), "127.1.1.1"); // numeric: no lookup, leading zeros decimal
    EXPECT_EQ(resolver.Lookup("first"), std::nullopt);     // returns while the lookup is held
    EXPECT_EQ(resolver.Lookup("first"), std::nullopt);
    ASSERT_TRUE(held.Answer(1, "127.9.9.9"));
    EXPECT_EQ(settled("first"), "127.9.9.9");
    EXPECT_EQ(resolver.Lookup("peer"), std::nullopt);
    ASSERT_TRUE(held.Answer(2, std::nullopt));
    EXPECT_TRUE(Eventually([&] { return !resolver.Lookup("peer") && held.Asked().size() == 3; }));
    ASSERT_TRUE(held.Answer(3, "127.5.5.5"));
    EXPECT_EQ(settled("peer"), "127.5.5.5");
    EXPECT_EQ(resolver.Lookup("first"), "127.9.9.9");
    EXPECT_EQ(held.Asked(), (std::vector<std::string>{"first", "peer", "peer"}));

    resolver.Forget("peer"); // after a failed send
    EXPECT_EQ(resolver.Lookup("peer"), std::nullopt);
    ASSERT_TRUE(Eventually([&] { return held.Asked().size() == 4; }));
    resolver.Forget("peer"); // while that lookup runs: its answer comes too late
    resolver.Lookup("peer");
    ASSERT_TRUE(held.Answer(5, "127.8.8.8"));
    ASSERT_EQ(settled("peer"), "127.8.8.8");
    ASSERT_TRUE(held.Answer(4, "127.7.7.7"));
    std::this_thread::sleep_for(100ms); // room for a wrong overwrite to land
    EXPECT_EQ(resolver.Lookup("peer"), "127.8.8.8");
}

TEST(SystemResolver, ResolvesLocalhostInTheBackground) {
    auto resolver = MakeNameResolver();
    EXPECT_EQ(Eventually([&] { return resolver->Lookup("localhost"); }), "127.0.0.1");
}

std::string Hex(const Sha256Digest& digest) {
    std::string text;
    for (size_t i = 0; i < digest.size(); ++i)
        text += "0123456789abcdef"[digest[i] >> 4], text += "0123456789abcdef"[digest[i] & 15];
    return text;
}

TEST(Crypto, HmacSha256MeetsTheRfc4231VectorsAndRandomBytesDiffer) {
    const std::string longKey(131, '\xaa'); // hashed first
    const struct {
        std::string key, data, tag;
    } vectors[] = {
        {"Jefe", "what do ya want for nothing?",
         "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {std::string(20, '\xaa'), std::string(50, '\xdd'),
         "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
        {longKey,
         "This is a test using a larger than block-size key and a larger than block-size data. The key needs "
         "to be hashed before being used by the HMAC algorithm.",
         "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
    };
    for (const auto& v : vectors) {
        const std::optional<Sha256Digest> tag = HmacSha256(v.key, v.data);
        EXPECT_EQ(tag ? Hex(*tag) : "", v.tag) << v.data;
    }
    const auto a = RandomBytes(32), b = RandomBytes(32);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(std::tuple(a->size(), *a == *b), std::tuple(32u, false));
}

// The start-up tests read keys of each fault; here the file's own rights.
TEST(Crypto, ASecretFileIsWrittenForItsOwnerOnlyAndReadOnlyWhenNobodyElseMay) {
    TempDir dir;
    const auto key = dir.path() / "Quenzel.key";
    ASSERT_EQ(WriteSecretFile(key, "secret"), std::nullopt);
    EXPECT_NE(WriteSecretFile(key, "other"), std::nullopt); // never replaces a key
#ifndef _WIN32
    struct stat info {};
    ASSERT_EQ(stat(key.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    for (mode_t mode : {0644, 0640}) {
        chmod(key.c_str(), mode);
        EXPECT_EQ(ReadSecretFile(key, 64).fault,
                  mode == 0644 ? SecretFile::Fault::OpenToAll : SecretFile::Fault::None);
    }
#else
    dir.Write("open.key", "secret"); // a file made the ordinary way inherits the folder's ACL
    EXPECT_EQ(ReadSecretFile(dir.path() / "open.key", 64).fault, SecretFile::Fault::OpenToAll);
#endif
}

} // namespace
} // namespace qz::test
