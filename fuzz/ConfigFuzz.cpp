// Any bytes as "Data\Quenzel.ini" give the corrupt-file fault, or settings that keep every rule and
// survive the configuration screen's load and save.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include "config/Validation.h"
#include "fuzz/Require.h"
#include "screens/config/ConfigScreen.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::fuzz {
namespace {

// One folder for the whole run; a fresh one per input would cost more than the reading.
const test::TempDir& Folder() {
    static const test::TempDir folder;
    return folder;
}

void RequireUsable(const Settings& s) {
    auto Within = [](long value, long low, long high) { return value >= low && value <= high; };
    Require(Within(s.linkDelay, 5, 600) && Within(s.fixedDelay, 60, 10800) &&
                Within(s.processDelay, 5, 3600) && Within(s.shutdownDelay, 2, 600) &&
                Within(s.slavePort, 1024, 65535) && Within(s.mainPort, 1024, 65535),
            "accepted durations and ports are in range");
    Require(!s.fixedDelayOn || s.processDelay < s.fixedDelay,
            "a fixed delay is longer than the process delay");
    Require(s.activation == ActivationMode::AtTimeOfDay ? IsValidTime(TimeText(s.activationDelay))
                                                        : Within(s.activationDelay, 1, 3600),
            "an activation delay is 1..3600 s, an activation time a time");
    Require(IsValidTime(TimeText(s.stopTime)), "the shutdown time is a time");
    Require(Within(static_cast<long>(TextLength(s.logName)), 8, 20), "the log name has 8..20 characters");
    Require(Within(static_cast<long>(TextLength(s.logFolder)), 2, 100) &&
                EndsWithFolderSeparator(s.logFolder),
            "the log path has 2..100 characters and ends with a separator");
    const auto& names = s.processNames;
    Require((names[1].empty() || !names[0].empty()) && (names[2].empty() || !names[1].empty()),
            "process names are filled from the first");
    Require(s.peerByName ? !IsValidIP(s.peerAddress) : s.peerAddress.empty() || IsValidIP(s.peerAddress),
            "the address fits its kind");
}

struct NoWindow : ConfigScreenHost {
    void ResetProgram() override {}
    void EnableMainControls() override {}
    void SetTopMost(bool) override {}
    void OpenWebPage(const std::string&) override {}
    [[noreturn]] void EndProgram(const Fault&) override { std::abort(); }
};

// Shows the settings on the configuration screen, saves them, and reads the file again.
void RequireRoundTrip(const ConfigRead& read) {
    test::FakeWorld world(Folder().path());
    world.program.set = read.settings;
    NoWindow window;
    ConfigScreen screen(world.program, window);
    screen.LoadFields();
    const Settings& before = read.settings;
    Require(bool(WriteConfigFile(world.files, ConfigFileText(screen.Input(), before.role, world.clock.now))),
            "settings can be saved");
    Result<ConfigRead> reread = ReadConfigFile(world.files);
    Require(reread.ok(), "saved settings load again");
    Settings after = reread.value().settings;
    // A stored time means its last four digits, so 12359 and 2359 are both 23:59.
    Require(TimeText(after.stopTime) == TimeText(before.stopTime), "the shutdown time survives a save");
    after.stopTime = before.stopTime;
    if (before.activation == ActivationMode::AtTimeOfDay) {
        Require(TimeText(after.activationDelay) == TimeText(before.activationDelay),
                "the activation time survives a save");
        after.activationDelay = before.activationDelay;
    }
    Require(after == before, "settings survive a save and a reload");
    Require(reread.value().complete == read.complete, "a save keeps whether the program is configured");
}

} // namespace
} // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz;
    using namespace qz::fuzz;
    Folder().Write("Data/Quenzel.ini", std::string_view(reinterpret_cast<const char*>(data), size));
    const Result<ConfigRead> read = ReadConfigFile(FileSys(Folder().path()));
    if (!read) {
        Require(read.fault() == CorruptConfig(), "a file that is there is read, or corrupt");
        return 0;
    }
    const std::string& text = read.value().text;
    Require(text.starts_with("\nConfiguration\n-------------") && text.find("\nCMain=") == text.npos,
            "ConfigText begins with its heading and never holds the CMain line");
    const Settings& s = read.value().settings;
    RequireUsable(s);
    // A field is saved on one line, so a carriage return inside a value cannot come back.
    const auto& n = s.processNames;
    if ((s.peerAddress + s.logName + s.logFolder + n[0] + n[1] + n[2]).find('\r') == std::string::npos)
        RequireRoundTrip(read.value());
    return 0;
}
