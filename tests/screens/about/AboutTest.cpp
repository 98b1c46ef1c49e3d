#include <gtest/gtest.h>

#include <cstdint>
#include <system_error>

#include "screens/AboutScreen.h"
#include "screens/WebLauncher.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

// The About screen over a program whose browser start throws when told to, recording the host's calls.
struct AboutWorld : AboutScreenHost, FakeSystem {
    void EnableMainControls() override { calls.push_back("EnableMainControls"); }
    void OpenWebPage(const std::string& page) override { calls.push_back(page); }
    int OpenAddress(const std::string& address) override {
        if (error) std::rethrow_exception(error);
        return FakeSystem::OpenAddress(address);
    }
    std::vector<std::string> calls;
    std::exception_ptr error;
    TempDir dir;
    FakeWorld world{dir.path()};
    Program p{Services{world.host, world.clock, world.files, world.processes, world.power, world.socket,
                       world.resolver, world.guard, *this}};
    AboutScreen about{p, *this};
};

TEST(AboutScreen, ShowsTheStationCountsDownAndGivesTheControlsBackOnce) {
    // The slave's count is set to its smallest, where it stays instead of wrapping.
    for (const auto& [title, mode, count, left] :
         {std::tuple{"Quenzel", 0, 60, 58}, {"Quenzel Slave", 1, 4, int(INT16_MIN)}}) {
        AboutWorld w;
        w.p.rt.AppTitle = title;
        w.p.rt.CmdLineMode = int16_t(mode);
        w.about.Load();
        const AboutView& v = w.about.view;
        w.about.OnSecond();
        EXPECT_EQ(v.caption + "|" + v.programName.text + "|" + v.closeNotice.text +
                      (w.p.rt.DialogOpen ? "|open" : ""),
                  std::string("About ") + title + "|" + title + "|About will close in " +
                      std::to_string(count) + " sec|open");
        if (mode == 1) w.p.rt.AboutCloseCount = INT16_MIN;
        w.about.OnSecond();
        w.about.OnWebSite();
        mode == 1 ? w.about.OnExit() : w.about.Close(); // the button, or the title bar
        EXPECT_FALSE(v.open || w.p.rt.DialogOpen);
        w.p.rt.DialogOpen = true; // the configuration screen, which a second close and late ticks leave alone
        w.about.Close();
        w.about.OnSecond();
        EXPECT_EQ(w.calls, (std::vector<std::string>{"index.htm", "EnableMainControls"}));
        EXPECT_TRUE(w.p.rt.DialogOpen && w.p.rt.AboutCloseCount == left);
    }
}

// A result of at most 32 or an error is reported in a plain box that names the product.
TEST(OpenWebPage, OpensTheSitesPageAndReportsAFailure) {
    const std::string box = "Quenzel Error: ", error = box + "A program error has occured\r\nError Number: ";
    const std::tuple<int, std::exception_ptr, std::string> rows[] = {
        {32, nullptr, box + "Unable to launch Browser."},
        {33, nullptr, ""},
        {0, std::make_exception_ptr(std::system_error(std::error_code(2, std::generic_category()), "spawn")),
         error + "2\r\nError description: spawn: No such file or directory"},
        {0, std::make_exception_ptr(std::runtime_error("none")), error + "0\r\nError description: none"},
    };
    for (const auto& [result, thrown, shown] : rows) {
        AboutWorld w;
        w.error = thrown;
        w.openResult = result;
        w.p.rt.AppTitle = "Quenzel Slave";
        qz::OpenWebPage(w.p, "index.htm");
        std::string seen;
        for (const ShownMessage& m : w.world.host.messages)
            seen +=
                m.title + ": " + m.text + (m.icon == MsgIcon::None && m.buttons == MsgButtons::Ok ? "" : "!");
        EXPECT_EQ(seen, shown) << result;
        EXPECT_EQ(w.opened, std::vector<std::string>(!thrown, "https://www.quenzel.example/index.htm"));
    }
}

} // namespace
} // namespace qz::test
