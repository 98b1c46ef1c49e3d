// Any bytes as "Data\Quenzel.ini": the reader and the settings check either accept them as usable
// settings that survive a save and a reload, or end the program with the corrupted-file box. A
// rejected input instead gives valid settings drawn from its bytes, which must survive a save.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "config/CheckSettings.h"
#include "config/ConfigFile.h"
#include "config/ConfigWriter.h"
#include "config/Validation.h"
#include "fuzz/Require.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::fuzz {
namespace {

using test::FakeWorld;
using test::ProgramEnded;
using test::TempDir;

constexpr const char* kCorruptText = "The configuration file is corrupted.\r\n"
                                     "Reinstall the program to restore the file.\r\n"
                                     "The program will now terminate.";
constexpr const char* kConfigTextHeading = "\nConfiguration\n-------------";

// One folder for the whole run; a fresh one per input would cost more than the reading.
const TempDir& Folder() {
    static const TempDir folder;
    return folder;
}

enum class Outcome { ReaderEnded, CheckEnded, Accepted };

// The settings half of LoadSettings.
Outcome Load(FakeWorld& world) {
    world.program.rt.TimerEnabled = true;
    try {
        ReadConfigFile(world.program);
        try {
            CheckSettings(world.program);
        } catch (const ProgramEnded&) {
            return Outcome::CheckEnded;
        }
        return Outcome::Accepted;
    } catch (const ProgramEnded&) {
        return Outcome::ReaderEnded;
    }
}

void RequireCorruptEnd(const FakeWorld& world) {
    const test::FakeHost& host = world.host;
    Require(host.messages.size() == 1, "a corrupt file shows exactly one box");
    const test::ShownMessage& box = host.messages.front();
    Require(box.icon == MsgIcon::Critical && box.buttons == MsgButtons::Ok,
            "the corrupt-file box is critical, OK");
    Require(box.title == "Quenzel Configuration File Error", "the corrupt-file box's title");
    Require(box.text == kCorruptText, "the corrupt-file box's text");
    Require(host.trayRemovals == 1 && host.endedWith == 1,
            "a corrupt file removes the tray icon and ends with 1");
    Require(!world.program.rt.TimerEnabled, "a corrupt file stops the timer");
}

bool Within(long value, long low, long high) {
    return value >= low && value <= high;
}

bool IsFlag(int16_t value) {
    return value == 1 || value == 2;
}

void RequireUsable(const Settings& s) {
    for (int16_t flag :
         {s.CMain, s.DName, s.Del_On, s.Force, s.RunOnTop, s.StartMin, s.StartTime, s.Stop_On, s.UserExit})
        Require(IsFlag(flag), "accepted flags and modes are 1 or 2");
    Require(Within(s.ComDelay, 5, 600) && Within(s.DelTime, 60, 10800) && Within(s.ProcDelay, 5, 3600) &&
                Within(s.ShutTime, 2, 600),
            "accepted durations are in range");
    Require(Within(s.ShutType, 1, 6) && Within(s.LogLevel, 1, 3), "accepted codes are in range");
    Require(Within(s.Port1, 1024, 65535) && Within(s.Port2, 1024, 65535), "accepted ports are in range");
    Require(s.Del_On == 1 || s.ProcDelay < s.DelTime, "a fixed delay is longer than the process delay");
    Require(s.StartTime == 2 || Within(s.StartDelay, 1, 3600), "an activation delay is 1..3600 s");
    Require(s.StartTime == 1 || IsValidTime(TimeText(s.StartDelay)), "an activation time is a time");
    Require(IsValidTime(TimeText(s.StopTime)), "the shutdown time is a time");
    Require(Within(static_cast<long>(TextLength(s.LogName)), 8, 20), "the log name has 8..20 characters");
    Require(Within(static_cast<long>(TextLength(s.LogPath)), 2, 100) && EndsWithFolderSeparator(s.LogPath),
            "the log path has 2..100 characters and ends with a separator");
    Require((s.Proc2.empty() || !s.Proc1.empty()) && (s.Proc3.empty() || !s.Proc2.empty()),
            "process names are filled from the first");
    Require(s.DName == 1 ? s.IPAdd.empty() || IsValidIP(s.IPAdd) : !IsValidIP(s.IPAdd),
            "the address fits its kind");
}

// The screen's fields as the configuration screen would show these settings.
ConfigInput ScreenOf(const Settings& s) {
    ConfigInput in;
    in.ComDelay = std::to_string(s.ComDelay);
    in.IPAdd = s.IPAdd;
    in.Port1 = std::to_string(s.Port1);
    in.Port2 = std::to_string(s.Port2);
    in.DelTime = std::to_string(s.DelTime);
    in.LogName = s.LogName;
    in.LogPath = s.LogPath;
    in.Proc1 = s.Proc1;
    in.Proc2 = s.Proc2;
    in.Proc3 = s.Proc3;
    in.ProcDelay = std::to_string(s.ProcDelay);
    in.StartDelay = s.StartTime == 2 ? TimeText(s.StartDelay) : std::to_string(s.StartDelay);
    in.StopTime = TimeText(s.StopTime);
    in.ShutTime = std::to_string(s.ShutTime);
    in.DName = s.DName == 2;
    in.Del_On = s.Del_On == 2;
    in.RunOnTop = s.RunOnTop == 2;
    in.StartMin = s.StartMin == 2;
    in.StartTime = s.StartTime == 2;
    in.Stop_On = s.Stop_On == 2;
    in.Force = s.Force == 2;
    in.UserExit = s.UserExit == 2;
    in.LogLevel = s.LogLevel;
    in.ShutType = s.ShutType;
    return in;
}

// A field is saved on one line, so a carriage return inside a value cannot come back.
bool SurvivesOneLine(const Settings& s) {
    for (const std::string* text : {&s.IPAdd, &s.LogName, &s.LogPath, &s.Proc1, &s.Proc2, &s.Proc3}) {
        if (text->find('\r') != std::string::npos) return false;
    }
    return true;
}

// Saves the settings as the configuration screen would, then loads them into a fresh program.
std::unique_ptr<FakeWorld> SaveAndReload(const Settings& s) {
    FakeWorld writer(Folder().path());
    Require(WriteConfigFile(writer.program, ConfigFileText(ScreenOf(s), s.CMain, writer.clock.now)),
            "settings can be saved");
    auto reloaded = std::make_unique<FakeWorld>(Folder().path());
    Require(Load(*reloaded) == Outcome::Accepted, "saved settings load again");
    return reloaded;
}

void RequireRoundTrip(const FakeWorld& world) {
    const Settings& before = world.program.set;
    std::unique_ptr<FakeWorld> reloaded = SaveAndReload(before);
    Settings after = reloaded->program.set;
    // A stored time means its last four digits, so 12359 and 2359 are both 23:59.
    Require(TimeText(after.StopTime) == TimeText(before.StopTime), "the shutdown time survives a save");
    after.StopTime = before.StopTime;
    if (before.StartTime == 2) {
        Require(TimeText(after.StartDelay) == TimeText(before.StartDelay),
                "the activation time survives a save");
        after.StartDelay = before.StartDelay;
    }
    Require(after == before, "settings survive a save and a reload");
    Require(reloaded->program.rt.NotConfigured == world.program.rt.NotConfigured,
            "a save keeps whether the program is configured");
}

// Values drawn from the input's bytes in turn, over and over; all the lowest for an empty input.
class Draw {
  public:
    explicit Draw(std::string_view bytes) : bytes_(bytes) {}
    long Between(long low, long high) {
        unsigned long value = static_cast<unsigned long>(Byte()) << 8 | Byte();
        return low + static_cast<long>(value % static_cast<unsigned long>(high - low + 1));
    }
    int16_t Small(long low, long high) { return static_cast<int16_t>(Between(low, high)); }
    // Printable ASCII, not ending in a blank, which the reader would trim.
    std::string Text(long minLength, long maxLength) {
        std::string text(static_cast<size_t>(Between(minLength, maxLength)), ' ');
        for (char& c : text)
            c = static_cast<char>(Between(' ', '~'));
        if (!text.empty() && text.back() == ' ') text.back() = '_';
        return text;
    }
    int16_t TimeOfDay() { return static_cast<int16_t>(Between(0, 23) * 100 + Between(0, 59)); }

  private:
    unsigned char Byte() {
        return bytes_.empty() ? 0 : static_cast<unsigned char>(bytes_[next_++ % bytes_.size()]);
    }
    std::string_view bytes_;
    size_t next_ = 0;
};

// Settings the check accepts, in every mode.
Settings DrawSettings(Draw& d) {
    Settings s;
    s.CMain = d.Small(1, 2);
    s.ComDelay = d.Small(5, 600);
    s.DName = d.Small(1, 2);
    if (s.DName == 2) {
        s.IPAdd = d.Text(0, 99);
        if (IsValidIP(s.IPAdd)) s.IPAdd += 'x';
    } else if (d.Between(0, 3) != 0) {
        s.IPAdd = std::to_string(d.Between(1, 255));
        for (int part = 1; part < 4; ++part)
            s.IPAdd += "." + std::to_string(d.Between(1, 255));
    }
    s.Port1 = static_cast<int32_t>(d.Between(1024, 65535));
    s.Port2 = static_cast<int32_t>(d.Between(1024, 65535));
    s.ProcDelay = d.Small(5, 3600);
    s.Del_On = d.Small(1, 2);
    s.DelTime = d.Small(s.Del_On == 2 ? std::max(60, s.ProcDelay + 1) : 60, 10800);
    s.LogLevel = d.Small(1, 3);
    s.LogName = d.Text(8, 20);
    s.LogPath = d.Text(1, 99) + "\\";
    s.Proc1 = d.Text(0, 30);
    if (!s.Proc1.empty()) s.Proc2 = d.Text(0, 30);
    if (!s.Proc2.empty()) s.Proc3 = d.Text(0, 30);
    s.RunOnTop = d.Small(1, 2);
    s.StartMin = d.Small(1, 2);
    s.StartTime = d.Small(1, 2);
    s.StartDelay = s.StartTime == 2 ? d.TimeOfDay() : d.Small(1, 3600);
    s.StopTime = d.TimeOfDay();
    s.Stop_On = d.Small(1, 2);
    s.Force = d.Small(1, 2);
    s.ShutTime = d.Small(2, 600);
    s.ShutType = d.Small(1, 6);
    s.UserExit = d.Small(1, 2);
    return s;
}

} // namespace
} // namespace qz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qz;
    using namespace qz::fuzz;
    Folder().Write("Data/Quenzel.ini", std::string_view(reinterpret_cast<const char*>(data), size));
    test::FakeWorld world(Folder().path());
    Outcome outcome = Load(world);
    if (outcome != Outcome::Accepted) {
        RequireCorruptEnd(world);
    } else {
        Require(world.host.messages.empty() && world.host.trayRemovals == 0,
                "accepted settings show nothing");
    }
    if (outcome != Outcome::ReaderEnded) {
        const std::string& text = world.program.rt.ConfigText;
        Require(text.starts_with(kConfigTextHeading), "ConfigText begins with its heading");
        Require(text.find("\nCMain=") == std::string::npos, "ConfigText never holds the CMain line");
    }
    if (outcome == Outcome::Accepted) {
        RequireUsable(world.program.set);
        if (SurvivesOneLine(world.program.set)) RequireRoundTrip(world);
    } else {
        // Rejected input says nothing about the reader's acceptance, so try valid settings drawn from it.
        Draw draw(std::string_view(reinterpret_cast<const char*>(data), size));
        Settings drawn = DrawSettings(draw);
        Require(SaveAndReload(drawn)->program.set == drawn, "valid settings survive a save and a reload");
    }
    return 0;
}
