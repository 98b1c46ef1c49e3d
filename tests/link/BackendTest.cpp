#include <gtest/gtest.h>

#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "platform/Backend.h"
#include "platform/ThreadedResolver.h"
#include "tests/link/Loopback.h"

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

} // namespace
} // namespace qz::test
