#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "config/ConfigFile.h"
#include "tests/config/ConfigTestSupport.h"
#include "tests/support/TempDir.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace qz {
namespace {

using test::FakeWorld;
using test::TempDir;

struct Reading {
    TempDir dir;
    FakeWorld world{dir.path()};
    Program& p = world.program;

    void File(std::string_view bytes) const { dir.Write("Data/Quenzel.ini", bytes); }
    void Read() { ReadConfigFile(p); }
};

std::string Replaced(std::string text, const std::vector<std::pair<std::string, std::string>>& edits) {
    for (const auto& [from, to] : edits) {
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    return text;
}

const std::string kSampleConfigText =
    "\nConfiguration\n-------------"
    "\n\n[Comms]\nComDelay=45\nDName=1\nIPAdd=192.168.1.20\nPort1=10001\nPort2=10000"
    "\n\n[Run]\nDel_On=2\nDelTime=900\nLogLevel=3\nLogName=Quenzel.log\nLogPath=Log\\"
    "\nProc1=encoder.exe\nProc2=backup\nProc3=\nProcDelay=120\nRunOnTop=1"
    "\nStartDelay=10730\nStartMin=2\nStartTime=2\nStopTime=12215\nStop_On=1"
    "\n\n[Shutdown]\nForce=2\nShutTime=30\nShutType=3\nUserExit=1";

TEST(ReadConfigFile, ReadsEveryKeyAndCopiesTheSignificantLines) {
    for (bool crlf : {true, false}) {
        Reading r;
        std::string file = test::SampleFile();
        if (!crlf) std::erase(file, '\r');
        r.File(file);
        r.Read();
        EXPECT_EQ(r.p.set, test::SampleSettings());
        EXPECT_EQ(r.p.rt.ConfigText, kSampleConfigText);
        EXPECT_TRUE(r.world.host.messages.empty());
        EXPECT_FALSE(r.world.host.endedWith.has_value());
    }
}

TEST(ReadConfigFile, FollowsTheLineRules) {
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, std::string>> edits;
        std::function<void(Settings&, std::string&)>
            expect; // adjusts the sample's settings and text; null = corrupt
    };
    auto corrupt = nullptr;
    auto same = [](Settings&, std::string&) {};
    const std::vector<Row> rows = {
        {"key in the wrong case", {{"Proc1=", "proc1="}}, corrupt},
        {"key missing", {{"Proc3=\r\n", ""}}, corrupt},
        {"key twice makes up for a missing one",
         {{"Proc3=\r\n", "Proc2=backup\r\n"}},
         [](Settings& s, std::string& t) {
             s.Proc3 = "earlier";
             t = Replaced(t, {{"\nProc3=", "\nProc2=backup"}});
         }},
        {"key with blanks before the equals sign", {{"CMain=1", "CMain = 1"}}, corrupt},
        {"commented-out key", {{"Proc2=", "#Proc2="}}, corrupt},
        {"header twice", {{"[Run]\r\n", "[Run]\r\n[Run]\r\n"}}, corrupt},
        {"header missing", {{"[Shutdown]\r\n", ""}}, corrupt},
        {"header with blanks inside", {{"[Run]", "[ Run ]"}}, corrupt},
        {"header of another name", {{"[Run]", "[Other]"}}, corrupt},
        {"header with text after it", {{"[Run]", "[Run] and more"}}, corrupt},
        {"header in a comment", {{"[Comms]", "#[Comms]"}}, corrupt},
        {"header and key with blanks around",
         {{"[Run]", "  [Run] "}, {"Proc1=encoder.exe", "  Proc1=encoder.exe  "}},
         same},
        {"keys in other sections",
         {{"[Shutdown]\r\n", ""}, {"[Comms]\r\n", "[Comms]\r\n[Shutdown]\r\n"}},
         [](Settings&, std::string& t) {
             t = Replaced(t, {{"\n\n[Shutdown]", ""}, {"[Comms]", "[Comms]\n\n[Shutdown]"}});
         }},
        {"comment with leading blanks",
         {{"# Configuration File", "   # Configuration File"}},
         [](Settings&, std::string& t) {
             t = Replaced(t, {{"---\n", "---\n# Configuration File\n"}});
         }},
        {"line of blanks",
         {{"Port2=10000\r\n", "Port2=10000\r\n   \r\n"}},
         [](Settings&, std::string& t) {
             t = Replaced(t, {{"Port2=10000\n", "Port2=10000\n\n"}});
         }},
        {"unknown line",
         {{"\r\n[Run]", "\r\nHello there \r\n[Run]"}},
         [](Settings&, std::string& t) {
             t = Replaced(t, {{"Port2=10000\n", "Port2=10000\nHello there\n"}});
         }},
        {"half below even",
         {{"ProcDelay=120", "ProcDelay=60.5"}},
         [](Settings& s, std::string& t) {
             s.ProcDelay = 60, t = Replaced(t, {{"ProcDelay=120", "ProcDelay=60.5"}});
         }},
        {"half above odd",
         {{"ProcDelay=120", "ProcDelay=61.5"}},
         [](Settings& s, std::string& t) {
             s.ProcDelay = 62, t = Replaced(t, {{"ProcDelay=120", "ProcDelay=61.5"}});
         }},
        {"number with blanks inside",
         {{"ProcDelay=120", "ProcDelay=6 0"}},
         [](Settings& s, std::string& t) {
             s.ProcDelay = 60, t = Replaced(t, {{"ProcDelay=120", "ProcDelay=6 0"}});
         }},
        {"no number",
         {{"ProcDelay=120", "ProcDelay=soon"}},
         [](Settings& s, std::string& t) {
             s.ProcDelay = 0, t = Replaced(t, {{"ProcDelay=120", "ProcDelay=soon"}});
         }},
        {"too large for 16 bits", {{"ProcDelay=120", "ProcDelay=70000"}}, corrupt},
        {"too small for 16 bits", {{"ShutTime=30", "ShutTime=-40000"}}, corrupt},
        {"fits 32 bits",
         {{"Port1=10001", "Port1=70000"}},
         [](Settings& s, std::string& t) {
             s.Port1 = 70000, t = Replaced(t, {{"Port1=10001", "Port1=70000"}});
         }},
        {"too large for 32 bits", {{"Port1=10001", "Port1=3000000000"}}, corrupt},
        {"text keeps its leading blank",
         {{"Proc1=encoder.exe", "Proc1= encoder.exe"}},
         [](Settings& s, std::string& t) {
             s.Proc1 = " encoder.exe";
             t = Replaced(t, {{"Proc1=encoder.exe", "Proc1= encoder.exe"}});
         }},
        {"tabs are not trimmed",
         {{"Proc1=encoder.exe", "Proc1=encoder.exe\t"}},
         [](Settings& s, std::string& t) {
             s.Proc1 = "encoder.exe\t";
             t = Replaced(t, {{"Proc1=encoder.exe", "Proc1=encoder.exe\t"}});
         }},
        {"single-byte text that is not UTF-8",
         {{"Proc2=backup", "Proc2=caf\xE9"}},
         [](Settings& s, std::string& t) {
             s.Proc2 = "caf\xE9", t = Replaced(t, {{"Proc2=backup", "Proc2=caf\xE9"}});
         }},
        {"activation at midnight",
         {{"StartDelay=10730", "StartDelay=10000"}},
         [](Settings& s, std::string& t) {
             s.StartDelay = 0, t = Replaced(t, {{"StartDelay=10730", "StartDelay=10000"}});
         }},
        {"shutdown at midnight",
         {{"StopTime=12215", "StopTime=10000"}},
         [](Settings& s, std::string& t) {
             s.StopTime = 0, t = Replaced(t, {{"StopTime=12215", "StopTime=10000"}});
         }},
        {"activation after a delay keeps its seconds",
         {{"StartTime=2", "StartTime=1"}},
         [](Settings& s, std::string& t) {
             s.StartTime = 1, s.StartDelay = 10730, t = Replaced(t, {{"StartTime=2", "StartTime=1"}});
         }},
        {"shutdown time below the 16-bit range once the offset is removed",
         {{"StopTime=12215", "StopTime=-30000"}},
         corrupt},
        {"slave station's line is not copied",
         {{"CMain=1", "CMain=2"}},
         [](Settings& s, std::string&) { s.CMain = 2; }},
        {"NUL inside a value", {{"Proc2=backup", std::string("Proc2=back\0up", 13)}}, corrupt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reading r;
        r.p.set.Proc3 = "earlier";
        r.p.rt.ConfigText = "before";
        Settings before = r.p.set;
        r.File(Replaced(test::SampleFile(), row.edits));
        if (!row.expect) {
            test::ExpectCorruptEnd(r.world, [&] { r.Read(); });
            EXPECT_EQ(r.p.set, before);
            EXPECT_EQ(r.p.rt.ConfigText, "before");
            continue;
        }
        Settings settings = test::SampleSettings();
        std::string text = kSampleConfigText;
        row.expect(settings, text);
        ASSERT_FALSE(test::EndsProgram([&] { r.Read(); }));
        EXPECT_TRUE(r.world.host.messages.empty());
        EXPECT_EQ(r.p.set, settings);
        EXPECT_EQ(r.p.rt.ConfigText, text);
    }
}

std::string RandomBytes(std::mt19937& gen, size_t size) {
    std::uniform_int_distribution<int> byte(1, 255); // NUL has its own case
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(gen));
    return bytes;
}

TEST(ReadConfigFile, BadFilesEndInTheCorruptedBoxAndNothingElse) {
    std::mt19937 gen(5122026);
    std::string highBytes;
    for (int i = 0; i < 4000; ++i)
        highBytes += static_cast<char>(0x80 + i % 128) + std::string(i % 37 == 0 ? "\r\n" : "");
    std::string wide; // the sample as UTF-16 little endian, as an editor might save it
    for (char c : test::SampleFile())
        wide += std::string{c, '\0'};
    std::string tenMegabytes;
    while (tenMegabytes.size() < 10'000'000)
        tenMegabytes += test::SampleFile();
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty", ""},
        {"comments only", "# Quenzel Version 1.6\r\n# Configuration File\r\n"},
        {"line ends only", "\r\n\r\n\n\n"},
        {"random bytes", RandomBytes(gen, 4096)},
        {"more random bytes", RandomBytes(gen, 100'000)},
        {"ten megabytes", tenMegabytes},
        {"one very long line", std::string(8'000'000, 'A')},
        {"one very long number", Replaced(test::SampleFile(), {{"=120", "=" + std::string(1'000'000, '9')}})},
        {"NUL bytes", std::string(1000, '\0')},
        {"sample with a NUL at the end", test::SampleFile() + '\0'},
        {"wide characters", wide},
        {"bytes that are not UTF-8", highBytes},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        Reading r;
        r.File(bytes);
        test::ExpectCorruptEnd(r.world, [&] { r.Read(); });
        EXPECT_EQ(r.p.set, Settings{});
    }
}

TEST(ReadConfigFile, DamagedSamplesAreEitherReadOrCorrupt) {
    std::mt19937 gen(20261206);
    const std::string sample = test::SampleFile();
    std::uniform_int_distribution<size_t> position(0, sample.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    int corrupt = 0;
    for (int i = 0; i < 300; ++i) {
        std::string file = sample;
        for (int k = 0; k < 1 + i % 4; ++k)
            file[position(gen)] = static_cast<char>(byte(gen));
        Reading r;
        r.File(file);
        bool ended = test::EndsProgram([&] { r.Read(); });
        ASSERT_EQ(r.world.host.messages.size(), ended ? 1u : 0u);
        if (ended) {
            ++corrupt;
            EXPECT_EQ(r.world.host.messages[0].text, test::kCorruptText);
        }
    }
    EXPECT_GT(corrupt, 0);
    EXPECT_LT(corrupt, 300);
}

#ifndef _WIN32
TEST(ReadConfigFile, AFileThatCannotBeOpenedIsCorrupt) {
    Reading r;
    std::filesystem::create_directory(r.dir.path() / "Data");
    std::string path = (r.dir.path() / "Data" / "Quenzel.ini").string();
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    test::ExpectCorruptEnd(r.world, [&] { r.Read(); });
    close(fd);
}
#endif

TEST(ReadConfigFile, NamesTheSlaveInTheTitle) {
    Reading r;
    r.p.rt.AppTitle = "Quenzel Slave";
    r.File("");
    test::ExpectCorruptEnd(
        r.world, [&] { r.Read(); }, "Quenzel Slave Configuration File Error");
}

TEST(ReadConfigFile, AMissingFolderOrFileEndsBeforeReading) {
    Reading r;
    ASSERT_TRUE(test::EndsProgram([&] { r.Read(); }));
    ASSERT_EQ(r.world.host.messages.size(), 1u);
    EXPECT_EQ(r.world.host.messages[0].title, "Quenzel Data Directory Error");
    EXPECT_EQ(r.world.host.messages[0].text,
              "The data directory does not exist.\r\nTo restore the data "
              "directory\r\nreinstall the program.\r\nThe program will now terminate.");

    Reading noFile;
    std::filesystem::create_directory(noFile.dir.path() / "data");
    ASSERT_TRUE(test::EndsProgram([&] { noFile.Read(); }));
    ASSERT_EQ(noFile.world.host.messages.size(), 1u);
    EXPECT_EQ(noFile.world.host.messages[0].title, "Quenzel Configuration File Error");
    EXPECT_EQ(noFile.world.host.messages[0].text,
              "The configuration file is either missing or\r\ncorrupted. To restore the configuration "
              "file\r\nreinstall the program.\r\nThe program will now terminate.");
}

} // namespace
} // namespace qz
