#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "platform/Backend.h"
#include "platform/ThreadedResolver.h"

namespace qz::test {
namespace {

using namespace std::chrono_literals;

TEST(NumericIPv4, RecognisesDottedDecimalAddressesOnly) {
    struct Row {
        const char* text;
        std::optional<std::string> address;
    } rows[] = {
        {"127.0.0.1", "127.0.0.1"},
        {"127.1.2.3", "127.1.2.3"},
        {"127.000.0.01", "127.0.0.1"}, // leading zeros are decimal, not octal
        {"255.255.255.255", "255.255.255.255"},
        {"0.0.0.0", "0.0.0.0"},
        {"256.1.1.1", std::nullopt},
        {"127.0.0", std::nullopt},
        {"127.0.0.1.", std::nullopt},
        {"127.0.0.1.5", std::nullopt},
        {"127..0.1", std::nullopt},
        {"127.0.0.0001", std::nullopt},
        {" 127.0.0.1", std::nullopt},
        {"127.0.0.1 ", std::nullopt},
        {"127.0.0.-1", std::nullopt},
        {"localhost", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(NumericIPv4(row.text), row.address);
    }
}

// A lookup the test answers by hand: the n-th call (from 0) waits until the test answers call n.
class HeldLookup {
  public:
    // Lets every call still held return, so none outlives the test.
    ~HeldLookup() {
        std::unique_lock lock(mutex_);
        closing_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, 10s, [&] { return finished_.size() == asked_.size(); });
    }
    ThreadedResolver::BlockingLookup Function() {
        return [this](const std::string& host) {
            std::unique_lock lock(mutex_);
            std::size_t call = asked_.size();
            asked_.push_back(host);
            changed_.notify_all();
            changed_.wait(lock, [&] { return closing_ || answers_.count(call) != 0; });
            std::optional<std::string> answer = closing_ ? std::nullopt : answers_[call];
            finished_.insert(call);
            changed_.notify_all();
            return answer;
        };
    }
    // Lets call n finish with this answer; false when it did not return in time.
    bool Answer(std::size_t call, std::optional<std::string> answer) {
        std::unique_lock lock(mutex_);
        answers_[call] = std::move(answer);
        changed_.notify_all();
        return changed_.wait_for(lock, 10s, [&] { return finished_.count(call) != 0; });
    }
    bool WaitAsked(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return asked_.size() >= count; });
    }
    std::vector<std::string> Asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> asked_;
    std::map<std::size_t, std::optional<std::string>> answers_;
    std::set<std::size_t> finished_;
    bool closing_ = false;
};

// A finished lookup reaches the cache a moment after it returns, so these ask repeatedly.
std::optional<std::string> SettledLookup(NameResolver& resolver, const std::string& host) {
    for (int i = 0; i < 500; ++i) {
        if (auto address = resolver.Lookup(host)) return address;
        std::this_thread::sleep_for(10ms);
    }
    return std::nullopt;
}

// Asks until the resolver has started lookup number count (a failed one is cleared a moment late).
bool AskUntilLookedUp(NameResolver& resolver, HeldLookup& held, const std::string& host, std::size_t count) {
    for (int i = 0; i < 500 && held.Asked().size() < count; ++i) {
        EXPECT_EQ(resolver.Lookup(host), std::nullopt);
        std::this_thread::sleep_for(10ms);
    }
    return held.Asked().size() >= count;
}

TEST(ThreadedResolver, NumericAddressesNeedNoLookup) {
    HeldLookup held;
    ThreadedResolver resolver(held.Function());
    EXPECT_EQ(resolver.Lookup("127.1.1.1"), "127.1.1.1");
    EXPECT_EQ(resolver.Lookup("127.01.1.1"), "127.1.1.1");
    EXPECT_TRUE(held.Asked().empty());
}

TEST(ThreadedResolver, AnswersNothingWhileTheLookupRunsAndStartsItOnce) {
    HeldLookup held;
    ThreadedResolver resolver(held.Function());
    EXPECT_EQ(resolver.Lookup("slavehost"), std::nullopt); // returns while the lookup is held
    ASSERT_TRUE(held.WaitAsked(1));
    EXPECT_EQ(resolver.Lookup("slavehost"), std::nullopt);
    EXPECT_EQ(resolver.Lookup("slavehost"), std::nullopt);
    EXPECT_EQ(held.Asked(), std::vector<std::string>{"slavehost"});

    ASSERT_TRUE(held.Answer(0, "127.3.3.3"));
    EXPECT_EQ(SettledLookup(resolver, "slavehost"), "127.3.3.3");
    EXPECT_EQ(resolver.Lookup("slavehost"), "127.3.3.3");
    EXPECT_EQ(held.Asked().size(), 1u) << "a cached answer is not looked up again";
}

TEST(ThreadedResolver, AFailedLookupIsTriedAgainAtTheNextAsk) {
    HeldLookup held;
    ThreadedResolver resolver(held.Function());
    EXPECT_EQ(resolver.Lookup("slavehost"), std::nullopt);
    ASSERT_TRUE(held.Answer(0, std::nullopt));
    ASSERT_TRUE(AskUntilLookedUp(resolver, held, "slavehost", 2));
    ASSERT_TRUE(held.Answer(1, "127.4.4.4"));
    EXPECT_EQ(SettledLookup(resolver, "slavehost"), "127.4.4.4");
    EXPECT_EQ(held.Asked(), (std::vector<std::string>{"slavehost", "slavehost"}));
}

TEST(ThreadedResolver, ForgetMakesTheNextAskLookUpAfresh) {
    HeldLookup held;
    ThreadedResolver resolver(held.Function());
    resolver.Lookup("slavehost");
    ASSERT_TRUE(held.Answer(0, "127.5.5.5"));
    ASSERT_EQ(SettledLookup(resolver, "slavehost"), "127.5.5.5");

    resolver.Forget("slavehost");
    EXPECT_EQ(resolver.Lookup("slavehost"), std::nullopt);
    ASSERT_TRUE(held.WaitAsked(2));
    ASSERT_TRUE(held.Answer(1, "127.6.6.6"));
    EXPECT_EQ(SettledLookup(resolver, "slavehost"), "127.6.6.6");
}

TEST(ThreadedResolver, AnAnswerForgottenWhileItWasSoughtIsDropped) {
    HeldLookup held;
    ThreadedResolver resolver(held.Function());
    resolver.Lookup("slavehost");
    ASSERT_TRUE(held.WaitAsked(1));
    resolver.Forget("slavehost");
    resolver.Lookup("slavehost");
    ASSERT_TRUE(held.WaitAsked(2));

    ASSERT_TRUE(held.Answer(1, "127.8.8.8"));
    ASSERT_EQ(SettledLookup(resolver, "slavehost"), "127.8.8.8");
    ASSERT_TRUE(held.Answer(0, "127.7.7.7"));
    std::this_thread::sleep_for(100ms); // room for a wrong overwrite to land
    EXPECT_EQ(resolver.Lookup("slavehost"), "127.8.8.8");
    EXPECT_EQ(held.Asked().size(), 2u);
}

TEST(ThreadedResolver, NamesAreCachedApart) {
    HeldLookup held;
    ThreadedResolver resolver(held.Function());
    resolver.Lookup("first");
    ASSERT_TRUE(held.WaitAsked(1));
    resolver.Lookup("second");
    ASSERT_TRUE(held.WaitAsked(2));
    ASSERT_TRUE(held.Answer(1, "127.9.9.10"));
    ASSERT_TRUE(held.Answer(0, "127.9.9.9"));
    EXPECT_EQ(SettledLookup(resolver, "first"), "127.9.9.9");
    EXPECT_EQ(SettledLookup(resolver, "second"), "127.9.9.10");
}

TEST(SystemResolver, ResolvesLocalhostInTheBackground) {
    auto resolver = MakeNameResolver();
    EXPECT_EQ(resolver->Lookup("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(SettledLookup(*resolver, "localhost"), "127.0.0.1");
}

} // namespace
} // namespace qz::test
