// Any bytes as "Data\Quenzel.ini" give the corrupt-file fault, or settings that survive the
// configuration screen's load and save. The rules accepted settings keep: ConfigFileTest.
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
    const bool atTime = before.activation == ActivationMode::AtTimeOfDay;
    Require(TimeText(after.stopTime) == TimeText(before.stopTime) &&
                (!atTime || TimeText(after.activationDelay) == TimeText(before.activationDelay)),
            "the shutdown and activation times survive a save");
    after.stopTime = before.stopTime;
    if (atTime) after.activationDelay = before.activationDelay;
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
    Require(read.ok() || read.fault() == CorruptConfig(), "a file that is there is read, or corrupt");
    if (!read) return 0;
    const Settings& s = read.value().settings;
    // A field is saved on one line, so a carriage return inside a value cannot come back.
    const auto& n = s.processNames;
    if ((s.peerAddress + s.logName + s.logFolder + n[0] + n[1] + n[2]).find('\r') == std::string::npos)
        RequireRoundTrip(read.value());
    return 0;
}
