#include <gtest/gtest.h>

#include <cstdint>
#include <system_error>

#include "screens/AboutScreen.h"
#include "screens/WebLauncher.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

// The About screen over a program with fakes, recording the host's calls and opening pages as the window
// does.
struct AboutWorld : AboutScreenHost {
    void EnableMainControls() override { calls.push_back("EnableMainControls"); }
    void OpenWebPage(const std::string& page) override {
        calls.push_back(page);
        qz::OpenWebPage(p, page);
    }
    std::vector<std::string> calls;
    TempDir dir;
    FakeWorld world{dir.path()};
    Program& p = world.program;
    AboutScreen about{p, *this};
};

// A browser start that gives at most 32 or throws shows a plain box naming the product, not the station.
TEST(AboutScreen, ShowsTheStationCountsDownOpensTheSiteAndGivesTheControlsBackOnce) {
    const std::string box = "Quenzel Error: ", error = box + "A program error has occured\r\nError Number: ";
    const std::tuple<bool, int, std::exception_ptr, std::string> rows[] = {
        {true, 32, nullptr, box + "Unable to launch Browser."},
        {false, 33, nullptr, ""},
        {true, 0,
         std::make_exception_ptr(std::system_error(std::error_code(2, std::generic_category()), "spawn")),
         error + "2\r\nError description: spawn: No such file or directory"},
        {false, 0, std::make_exception_ptr(std::runtime_error("none")),
         error + "0\r\nError description: none"},
    };
    for (const auto& [slave, result, thrown, shown] : rows) {
        const std::string title = slave ? "Quenzel Slave" : "Quenzel";
        SCOPED_TRACE(title + " " + shown);
        AboutWorld w;
        w.world.system.openError = thrown;
        w.world.system.openResult = result;
        w.p.rt.appTitle = title;
        w.p.rt.startOption = slave ? StartOption::InhibitShutdown : StartOption::None;
        w.about.Load();
        const AboutView& v = w.about.view;
        w.about.OnSecond();
        EXPECT_EQ(v.caption + "|" + v.programName.text + "|" + v.closeNotice.text +
                      (w.p.rt.screenOpen ? "|open" : ""),
                  "About " + title + "|" + title + "|About will close in " + (slave ? "4" : "60") +
                      " sec|open");
        if (slave) w.p.rt.aboutCloseCount = INT16_MIN; // where it stays instead of wrapping
        w.about.OnSecond();
        w.about.OnWebSite();
        slave ? w.about.OnExit() : w.about.Close(); // the button, or the title bar
        EXPECT_FALSE(v.open || w.p.rt.screenOpen);
        w.p.rt.screenOpen = true; // the configuration screen, which a second close and late ticks leave alone
        w.about.Close();
        w.about.OnSecond();
        EXPECT_EQ(std::tuple(w.calls, Shown(w.world.host), w.world.system.opened),
                  std::tuple(std::vector<std::string>{"index.htm", "EnableMainControls"}, shown,
                             std::vector<std::string>(!thrown, "https://www.quenzel.example/index.htm")));
        EXPECT_TRUE(w.p.rt.screenOpen && w.p.rt.aboutCloseCount == (slave ? INT16_MIN : 58));
    }
}

} // namespace
} // namespace qz::test
