// Any bytes as "Data\Quenzel.ini": the reader and the settings check either end the program with the
// corrupted-file box, or accept settings that keep every rule and come back the same after the
// configuration screen has shown and saved them.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/CheckSettings.h"
#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include "config/Validation.h"
#include "screens/config/ConfigScreen.h"
#include "fuzz/Require.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::fuzz {
namespace {

using test::FakeWorld;

// One folder for the whole run; a fresh one per input would cost more than the reading.
const test::TempDir& Folder() {
    static const test::TempDir folder;
    return folder;
}

enum class Outcome { ReaderEnded, CheckEnded, Accepted };

// The settings half of LoadSettings.
Outcome Load(FakeWorld& world) {
    world.program.rt.TimerEnabled = true;
    try {
        ReadConfigFile(world.program);
    } catch (const test::ProgramEnded&) {
        return Outcome::ReaderEnded;
    }
    try {
        CheckSettings(world.program);
    } catch (const test::ProgramEnded&) {
        return Outcome::CheckEnded;
    }
    return Outcome::Accepted;
}

void RequireCorruptEnd(const FakeWorld& world) {
    const test::FakeHost& host = world.host;
    Require(host.messages.size() == 1, "a corrupt file shows exactly one box");
    const test::ShownMessage& box = host.messages.front();
    Require(box.icon == MsgIcon::Critical && box.buttons == MsgButtons::Ok &&
                box.title == "Quenzel Configuration File Error" &&
                box.text == "The configuration file is corrupted.\r\nReinstall the program to restore the "
                            "file.\r\nThe program will now terminate.",
            "the corrupt-file box");
    Require(host.trayRemovals == 1 && host.endedWith == 1 && !world.program.rt.TimerEnabled,
            "a corrupt file stops the timer, removes the tray icon and ends with 1");
}

void RequireUsable(const Settings& s) {
    auto Within = [](long value, long low, long high) { return value >= low && value <= high; };
    for (int16_t flag :
         {s.CMain, s.DName, s.Del_On, s.Force, s.RunOnTop, s.StartMin, s.StartTime, s.Stop_On, s.UserExit})
        Require(flag == 1 || flag == 2, "accepted flags and modes are 1 or 2");
    Require(Within(s.ComDelay, 5, 600) && Within(s.DelTime, 60, 10800) && Within(s.ProcDelay, 5, 3600) &&
                Within(s.ShutTime, 2, 600) && Within(s.ShutType, 1, 6) && Within(s.LogLevel, 1, 3) &&
                Within(s.Port1, 1024, 65535) && Within(s.Port2, 1024, 65535),
            "accepted durations, codes and ports are in range");
    Require(s.Del_On == 1 || s.ProcDelay < s.DelTime, "a fixed delay is longer than the process delay");
    Require(s.StartTime == 2 ? IsValidTime(TimeText(s.StartDelay)) : Within(s.StartDelay, 1, 3600),
            "an activation delay is 1..3600 s, an activation time a time");
    Require(IsValidTime(TimeText(s.StopTime)), "the shutdown time is a time");
    Require(Within(static_cast<long>(TextLength(s.LogName)), 8, 20), "the log name has 8..20 characters");
    Require(Within(static_cast<long>(TextLength(s.LogPath)), 2, 100) && EndsWithFolderSeparator(s.LogPath),
            "the log path has 2..100 characters and ends with a separator");
    Require((s.Proc2.empty() || !s.Proc1.empty()) && (s.Proc3.empty() || !s.Proc2.empty()),
            "process names are filled from the first");
    Require(s.DName == 1 ? s.IPAdd.empty() || IsValidIP(s.IPAdd) : !IsValidIP(s.IPAdd),
            "the address fits its kind");
}

struct NoWindow : ConfigScreenHost {
    void ResetMonitor() override {}
    void ShowStatus() override {}
    void EnableMainControls() override {}
    void SetTopMost(bool) override {}
    void OpenWebPage(const std::string&) override {}
};

// Shows the settings on the configuration screen, saves them, and loads the file into a fresh program.
void RequireRoundTrip(FakeWorld& world) {
    NoWindow window;
    ConfigScreen screen(world.program, window);
    screen.LoadFields();
    const Settings before = world.program.set;
    Require(WriteConfigFile(world.program, ConfigFileText(screen.Input(), before.CMain, world.clock.now)),
            "settings can be saved");
    FakeWorld reloaded(Folder().path());
    Require(Load(reloaded) == Outcome::Accepted, "saved settings load again");
    Settings after = reloaded.program.set;
    // A stored time means its last four digits, so 12359 and 2359 are both 23:59.
    Require(TimeText(after.StopTime) == TimeText(before.StopTime), "the shutdown time survives a save");
    after.StopTime = before.StopTime;
    if (before.StartTime == 2) {
        Require(TimeText(after.StartDelay) == TimeText(before.StartDelay),
                "the activation time survives a save");
        after.StartDelay = before.StartDelay;
    }
    Require(after == before, "settings survive a save and a reload");
    Require(reloaded.program.rt.NotConfigured == world.program.rt.NotConfigured,
            "a save keeps whether the program is configured");
}

} // namespace
} // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz;
    using namespace qz::fuzz;
    Folder().Write("Data/Quenzel.ini", std::string_view(reinterpret_cast<const char*>(data), size));
    FakeWorld world(Folder().path());
    const Outcome outcome = Load(world);
    if (outcome != Outcome::ReaderEnded) {
        const std::string& text = world.program.rt.ConfigText;
        Require(text.starts_with("\nConfiguration\n-------------"), "ConfigText begins with its heading");
        Require(text.find("\nCMain=") == std::string::npos, "ConfigText never holds the CMain line");
    }
    if (outcome != Outcome::Accepted) {
        RequireCorruptEnd(world);
        return 0;
    }
    Require(world.host.messages.empty() && world.host.trayRemovals == 0, "accepted settings show nothing");
    RequireUsable(world.program.set);
    // A field is saved on one line, so a carriage return inside a value cannot come back.
    const Settings& s = world.program.set;
    if ((s.IPAdd + s.LogName + s.LogPath + s.Proc1 + s.Proc2 + s.Proc3).find('\r') == std::string::npos)
        RequireRoundTrip(world);
    return 0;
}
