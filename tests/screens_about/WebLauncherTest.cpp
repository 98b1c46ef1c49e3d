#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

#include "screens/WebLauncher.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

using test::FakeWorld;
using test::TempDir;

TEST(OpenWebPage, AddressIsTheSiteFollowedByThePage) {
    TempDir dir;
    FakeWorld world(dir.path());
    OpenWebPage(world.program, "index.htm");
    OpenWebPage(world.program, "software/misc/update.htm?ID=15&Ver=1.6");
    EXPECT_EQ(
        world.system.opened,
        (std::vector<std::string>{"https://www.quenzel.example/index.htm",
                                  "https://www.quenzel.example/software/misc/update.htm?ID=15&Ver=1.6"}));
}

TEST(OpenWebPage, ResultOf32OrBelowIsReportedAsNoBrowser) {
    struct Row {
        int result;
        bool reported;
    };
    for (const Row& r : {Row{-1, true}, Row{0, true}, Row{2, true}, Row{31, true}, Row{32, true},
                         Row{33, false}, Row{42, false}}) {
        TempDir dir;
        FakeWorld world(dir.path());
        world.program.rt.AppTitle = "Quenzel Slave"; // the box names the product, not the station
        world.system.openResult = r.result;
        OpenWebPage(world.program, "index.htm");
        if (!r.reported) {
            EXPECT_TRUE(world.host.messages.empty()) << r.result;
            continue;
        }
        ASSERT_EQ(world.host.messages.size(), 1u) << r.result;
        const test::ShownMessage& m = world.host.messages[0];
        EXPECT_EQ(m.icon, MsgIcon::None);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.title, "Quenzel Error");
        EXPECT_EQ(m.text, "Unable to launch Browser.");
    }
}

// A system whose browser start fails with an exception instead of a result.
class ThrowingSystem : public test::FakeSystem {
  public:
    explicit ThrowingSystem(std::exception_ptr e) : error(std::move(e)) {}
    int OpenAddress(const std::string&) override { std::rethrow_exception(error); }
    std::exception_ptr error;
};

TEST(OpenWebPage, OtherErrorsAreShownWithNumberAndDescription) {
    struct Row {
        std::exception_ptr error;
        const char* text;
    };
    const Row rows[] = {
        {std::make_exception_ptr(std::system_error(std::error_code(2, std::generic_category()), "spawn")),
         "A program error has occured\r\nError Number: 2\r\nError description: spawn: No such file or "
         "directory"},
        {std::make_exception_ptr(std::runtime_error("no session")),
         "A program error has occured\r\nError Number: 0\r\nError description: no session"},
    };
    for (const Row& r : rows) {
        TempDir dir;
        test::FakeHost host;
        test::FakeClock clock;
        FileSys files(dir.path());
        test::FakeProcessTable processes;
        test::FakePower power;
        test::FakeSocket socket;
        test::FakeResolver resolver;
        test::FakeGuard guard;
        ThrowingSystem system(r.error);
        Program p(Services{host, clock, files, processes, power, socket, resolver, guard, system});
        OpenWebPage(p, "index.htm");
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].icon, MsgIcon::None);
        EXPECT_EQ(host.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(host.messages[0].title, "Quenzel Error");
        EXPECT_EQ(host.messages[0].text, r.text);
    }
}

} // namespace
} // namespace qz
