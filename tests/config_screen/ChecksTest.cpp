#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "tests/config_screen/ScreenWorld.h"

namespace qz::test {
namespace {

using Edit = std::function<void(frmConfig&)>;
using Prepare = std::function<void(ScreenWorld&)>;
using Names = std::vector<std::string>;

Edit Type(TextFieldView ConfigView::*field, std::string text) {
    return [field, text](frmConfig& s) { (s.view.*field).text = text; };
}

Edit Tick(CheckBoxView ConfigView::*box) {
    return [box](frmConfig& s) { (s.view.*box).checked = true; };
}

Edit All(std::vector<Edit> edits) {
    return [edits](frmConfig& s) {
        for (const Edit& e : edits)
            e(s);
    };
}

Edit Address(std::string text) {
    return Type(&ConfigView::IPAddT, std::move(text));
}

Edit Domain(std::string text) {
    return All({Tick(&ConfigView::DNameT), Address(std::move(text))});
}

Edit ActivateAt(std::string time) {
    return All({Tick(&ConfigView::StartTimeT), Type(&ConfigView::StartDelayT, std::move(time))});
}

// Process delay and fixed delay, with the fixed delay switched on or off.
Edit Delays(bool fixed, std::string process, std::string shutdownAfter) {
    return [=](frmConfig& s) {
        s.view.Del_OnT.checked = fixed;
        s.view.ProcDelayT.text = process;
        s.view.DelTimeT.text = shutdownAfter;
    };
}

Edit Choose(std::string item) {
    return [item](frmConfig& s) { s.view.ShutNameT.text = item; };
}

Prepare Stored(std::function<void(Settings&)> change) {
    return [change](ScreenWorld& w) { change(w.p.set); };
}

Prepare Slave(std::function<void(Settings&)> change = {}) {
    return [change](ScreenWorld& w) {
        w.p.set = SlaveSettings();
        w.p.rt.AppTitle = "Quenzel Slave";
        if (change) change(w.p.set);
    };
}

Prepare WithLinkFault(Prepare base = {}) {
    return [base](ScreenWorld& w) {
        if (base) base(w);
        w.p.rt.SetupFault = true;
    };
}

std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

struct CheckRow {
    const char* name;
    Prepare prepare;
    Edit edit;
    int count;
    Names marked;
};

void RunRows(const std::vector<CheckRow>& rows) {
    for (const CheckRow& r : rows) {
        ScreenWorld w;
        if (r.prepare) r.prepare(w);
        frmConfig& s = w.Open();
        if (r.edit) r.edit(s);
        EXPECT_EQ(s.ValidateFields(), r.count) << r.name;
        EXPECT_EQ(MarkedHints(s.view), r.marked) << r.name;
    }
}

TEST(ValidateFields, AddressChecks) {
    RunRows({
        {"stored settings", {}, {}, 0, {}},
        {"IP with a zero", {}, Address("192.168.0.5"), 1, {"IPAddM"}},
        {"valid IP", {}, Address("1.1.1.1"), 0, {}},
        {"IP as domain name", {}, Domain("10.1.1.1"), 1, {"IPAddM"}},
        {"zero address as domain name", {}, Domain("10.0.0.1"), 0, {}},
        {"domain of 100", {}, Domain(Repeat('d', 100)), 0, {}},
        {"domain of 101", {}, Domain(Repeat('d', 101)), 1, {"IPAddM"}},
        {"slave without address", Slave([](Settings& s) { s.IPAdd.clear(); }), {}, 1, {"IPAddM"}},
        {"slave with a wrong IP", Slave(), Address("1.1.1"), 2, {"IPAddM"}},
        {"slave without domain name", Slave(), Domain(""), 1, {"IPAddM"}},
        {"slave with domain name", Slave(), Domain("host"), 0, {}},
    });
}

TEST(ValidateFields, NumberRangesIncludeTheirBounds) {
    struct Bound {
        TextFieldView ConfigView::*field;
        const char* hint;
        const char* below;
        const char* low;
        const char* high;
        const char* above;
    };
    const Bound bounds[] = {
        {&ConfigView::ComDelayT, "ComDelayM", "4.9", "5", "600", "600.5"},
        {&ConfigView::DelTimeT, "DelTimeM", "59", "60", "10800", "10801"},
        {&ConfigView::Port1T, "Port1M", "1023", "1024", "65535", "65536"},
        {&ConfigView::Port2T, "Port2M", "1023", "1024", "65535", "65536"},
        {&ConfigView::ProcDelayT, "ProcDelayM", "4", "5", "3600", "3601"},
        {&ConfigView::ShutTimeT, "ShutTimeM", "1", "2", "600", "601"},
        {&ConfigView::StartDelayT, "StartDelayM", "0", "1", "3600", "3601"},
    };
    for (const Bound& b : bounds) {
        RunRows({
            {b.below, {}, Type(b.field, b.below), 1, {b.hint}},
            {b.low, {}, Type(b.field, b.low), 0, {}},
            {b.high, {}, Type(b.field, b.high), 0, {}},
            {b.above, {}, Type(b.field, b.above), 1, {b.hint}},
            {"empty", {}, Type(b.field, ""), 1, {b.hint}},
        });
    }
    RunRows({
        {"trailing letters", {}, Type(&ConfigView::DelTimeT, "60abc"), 0, {}},
        {"blanks inside", {}, Type(&ConfigView::DelTimeT, "1 20"), 0, {}},
    });
}

TEST(ValidateFields, ListCodesOutsideTheirItems) {
    RunRows({
        {"log level 0", Stored([](Settings& s) { s.LogLevel = 0; }), {}, 1, {"LogLevelM"}},
        {"log level 4", Stored([](Settings& s) { s.LogLevel = 4; }), {}, 1, {"LogLevelM"}},
        {"shutdown type 0", Stored([](Settings& s) { s.ShutType = 0; }), {}, 1, {"ShutTypeM"}},
        {"shutdown type 7", Stored([](Settings& s) { s.ShutType = 7; }), {}, 1, {"ShutTypeM"}},
    });
}

TEST(ValidateFields, LogNameNeedsAnExtensionAndItsLength) {
    RunRows({
        {"abcd.log", {}, Type(&ConfigView::LogNameT, "abcd.log"), 0, {}},
        {"abc.log", {}, Type(&ConfigView::LogNameT, "abc.log"), 1, {"LogNameM"}},
        {"abcdefghij", {}, Type(&ConfigView::LogNameT, "abcdefghij"), 1, {"LogNameM"}},
        {"abcdefgh.logs", {}, Type(&ConfigView::LogNameT, "abcdefgh.logs"), 1, {"LogNameM"}},
        {"20 characters", {}, Type(&ConfigView::LogNameT, "abcdefghijklmnop.log"), 0, {}},
        {"21 characters", {}, Type(&ConfigView::LogNameT, "abcdefghijklmnopq.log"), 1, {"LogNameM"}},
        {"second point", {}, Type(&ConfigView::LogNameT, "ab.cd.log"), 0, {}},
        {"short with point first", {}, Type(&ConfigView::LogNameT, ".ab"), 1, {"LogNameM"}},
        {"short", {}, Type(&ConfigView::LogNameT, "ab"), 2, {"LogNameM"}},
        {"empty", {}, Type(&ConfigView::LogNameT, ""), 2, {"LogNameM"}},
        {"accented, 8 characters",
         {},
         Type(&ConfigView::LogNameT, "\xC3\xA4"
                                     "bcd.log"),
         0,
         {}},
        {"accented extension", {}, Type(&ConfigView::LogNameT, "abcde.l\xC3\xB6g"), 0, {}},
        {"accented, 7 characters",
         {},
         Type(&ConfigView::LogNameT, "\xC3\xA4"
                                     "bc.log"),
         1,
         {"LogNameM"}},
    });
}

TEST(ValidateFields, LogPathMustExistAndEndWithItsSeparator) {
    const std::string deep95 = Repeat('a', 95), deep96 = Repeat('a', 96);
    Prepare folders = [&](ScreenWorld& w) {
        std::filesystem::create_directories(w.dir.path() / "Log" / deep95);
        std::filesystem::create_directories(w.dir.path() / "Log" / deep96);
    };
#ifdef _WIN32
    const int slashEnd = 1;
    const Names slashMarks{"LogPathM"};
#else
    const int slashEnd = 0;
    const Names slashMarks{};
#endif
    RunRows({
        {"existing", {}, Type(&ConfigView::LogPathT, "Log\\"), 0, {}},
        {"other case", {}, Type(&ConfigView::LogPathT, "LOG\\"), 0, {}},
        {"no backslash", {}, Type(&ConfigView::LogPathT, "Log"), 1, {"LogPathM"}},
        {"slash", {}, Type(&ConfigView::LogPathT, "Log/"), slashEnd, slashMarks},
        {"missing folder", {}, Type(&ConfigView::LogPathT, "Nope\\"), 1, {"LogPathM"}},
        {"one character", {}, Type(&ConfigView::LogPathT, "L"), 3, {"LogPathM"}},
        {"empty", {}, Type(&ConfigView::LogPathT, ""), 3, {"LogPathM"}},
        {"100 characters", folders, Type(&ConfigView::LogPathT, "Log\\" + deep95 + "\\"), 0, {}},
        {"101 characters", folders, Type(&ConfigView::LogPathT, "Log\\" + deep96 + "\\"), 1, {"LogPathM"}},
        {"file, not folder", {}, Type(&ConfigView::LogPathT, "Data\\Quenzel.ini\\"), 1, {"LogPathM"}},
    });
}

TEST(ValidateFields, ProcessNames) {
    const std::string n30 = Repeat('p', 30), n31 = Repeat('p', 31);
    RunRows({
        {"30", {}, Type(&ConfigView::Proc1T, n30), 0, {}},
        {"31", {}, Type(&ConfigView::Proc1T, n31), 1, {"Proc1M"}},
        {"second 31", {}, Type(&ConfigView::Proc2T, n31), 1, {"Proc2M"}},
        {"third 30", {}, All({Type(&ConfigView::Proc2T, "b"), Type(&ConfigView::Proc3T, n30)}), 0, {}},
        {"third 31",
         {},
         All({Type(&ConfigView::Proc2T, "b"), Type(&ConfigView::Proc3T, n31)}),
         1,
         {"Proc3M"}},
        {"second without first",
         {},
         All({Type(&ConfigView::Proc1T, ""), Type(&ConfigView::Proc2T, "b")}),
         2,
         {"Proc1M"}},
        {"slave: second without first", Slave(), Type(&ConfigView::Proc2T, "b"), 1, {"Proc1M"}},
        {"third without second", {}, Type(&ConfigView::Proc3T, "c"), 1, {"Proc2M"}},
        {"main without process", {}, Type(&ConfigView::Proc1T, ""), 1, {"Proc1M"}},
        {"slave without process", Slave(), {}, 0, {}},
    });
}

TEST(ValidateFields, Times) {
    RunRows({
        {"activation at 07:30", {}, ActivateAt("07:30"), 0, {}},
        {"activation at 24:00", {}, ActivateAt("24:00"), 1, {"StartDelayM"}},
        {"activation at 7:30", {}, ActivateAt("7:30"), 1, {"StartDelayM"}},
        {"time in seconds mode", {}, Type(&ConfigView::StartDelayT, "07:30"), 0, {}},
        {"shutdown at 23:59", {}, Type(&ConfigView::StopTimeT, "23:59"), 0, {}},
        {"shutdown at 25:00, fixed time off", {}, Type(&ConfigView::StopTimeT, "25:00"), 1, {"StopTimeM"}},
    });
}

TEST(ValidateFields, ModeRules) {
    RunRows({
        {"main, shutdown without address", {}, Choose("Shutdown"), 0, {}},
        {"main, monitor without address", {}, Choose("Monitor"), 2, {"IPAddM", "ShutTypeM"}},
        {"main, monitor with IP", {}, All({Choose("Monitor"), Address("1.1.1.1")}), 0, {}},
        {"main, monitor with a wrong IP",
         {},
         All({Choose("Monitor"), Address("1.1.1")}),
         3,
         {"IPAddM", "ShutTypeM"}},
        {"main, monitor without domain",
         {},
         All({Choose("Monitor"), Domain("")}),
         2,
         {"IPAddM", "ShutTypeM"}},
        {"main, monitor with IP as domain",
         {},
         All({Choose("Monitor"), Domain("10.1.1.1")}),
         3,
         {"IPAddM", "ShutTypeM"}},
        {"main, monitor with domain", {}, All({Choose("Monitor"), Domain("host.example")}), 0, {}},
        {"main, reboot without domain", {}, All({Choose("Reboot"), Domain("")}), 0, {}},
        {"slave, monitor", Slave(), Choose("Monitor"), 1, {"ShutTypeM"}},
        {"slave, link setup failed", WithLinkFault(Slave()), {}, 1, {"Port1M"}},
        {"main, link setup failed", WithLinkFault(), {}, 0, {}},
        {"fixed delay equal to process delay", {}, Delays(true, "120", "120"), 1, {"DelTimeM"}},
        {"fixed delay above process delay", {}, Delays(true, "120", "121"), 0, {}},
        {"equal delays without fixed delay", {}, Delays(false, "120", "120"), 0, {}},
    });
}

TEST(ValidateFields, ChangedCaptionsAndTheirReturn) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    Delays(true, "120", "120")(s);
    s.ValidateFields();
    EXPECT_EQ(s.view.DelTimeM.text, "< Process Delay");
    s.view.DelTimeT.text = "200";
    EXPECT_EQ(s.ValidateFields(), 0);
    EXPECT_EQ(s.view.DelTimeM.text, "sec (min 60, max 10800)");
    EXPECT_EQ(MarkedHints(s.view), Names{});

    s.view.DelTimeT.text = "120";
    s.ValidateFields();
    s.Restore_Click();
    EXPECT_EQ(s.view.DelTimeM.text, "sec (min 60, max 10800)");
    EXPECT_EQ(MarkedHints(s.view), Names{});

    ScreenWorld slave;
    Slave()(slave);
    frmConfig& t = slave.Open();
    t.ShutNameT_Click("Monitor");
    EXPECT_EQ(t.ValidateFields(), 1);
    EXPECT_EQ(t.view.ShutTypeM.text, "Invalid Option In Slave Mode");
    // New labels keep the error look until the next check.
    t.DNameT_Click(false);
    EXPECT_EQ(t.view.ShutTypeM.text, "Not Available In Slave Mode");
    EXPECT_EQ(MarkedHints(t.view), Names{"ShutTypeM"});
}

TEST(ValidateFields, FailedChecksSwitchTheirFieldsOn) {
    struct Row {
        const char* name;
        Prepare prepare;
        Edit edit;
        TextFieldView ConfigView::*field;
    };
    const Row rows[] = {
        {"main lost-link delay", {}, Type(&ConfigView::ComDelayT, "700"), &ConfigView::ComDelayT},
        {"main shutdown time", {}, Type(&ConfigView::StopTimeT, "25:00"), &ConfigView::StopTimeT},
        {"slave shutdown time", Slave(), Type(&ConfigView::StopTimeT, "25:00"), &ConfigView::StopTimeT},
    };
    for (const Row& r : rows) {
        ScreenWorld w;
        if (r.prepare) r.prepare(w);
        frmConfig& s = w.Open();
        const TextFieldView& field = s.view.*r.field;
        EXPECT_FALSE(field.enabled) << r.name;
        r.edit(s);
        EXPECT_EQ(s.ValidateFields(), 1) << r.name;
        EXPECT_TRUE(field.enabled) << r.name;
        EXPECT_FALSE(field.readOnly) << r.name;
        EXPECT_EQ(field.back, kWindowBackground) << r.name;
    }
}

TEST(ValidateFields, InvalidDataBoxOnlyWithTheErrorMessageOption) {
    struct Row {
        int16_t mode;
        bool slave;
        bool bad;
        size_t boxes;
        const char* title;
    };
    for (const Row& r :
         {Row{2, false, true, 1, "Quenzel Data Error"}, Row{2, true, true, 1, "Quenzel Slave Data Error"},
          Row{2, false, false, 0, ""}, Row{0, false, true, 0, ""}, Row{1, false, true, 0, ""}}) {
        ScreenWorld w;
        if (r.slave) Slave()(w);
        w.p.rt.CmdLineMode = r.mode;
        frmConfig& s = w.Open();
        w.world.host.messages.clear();
        if (r.bad) s.view.ShutTimeT.text = "1";
        s.ValidateFields();
        ASSERT_EQ(w.world.host.messages.size(), r.boxes) << r.mode;
        if (r.boxes == 0) continue;
        const ShownMessage& m = w.world.host.messages.front();
        EXPECT_EQ(m.icon, MsgIcon::None);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.title, r.title);
        EXPECT_EQ(m.text, "Invalid Data");
    }
}

TEST(ValidateFields, EnablesTheCloseCountdown) {
    ScreenWorld w;
    frmConfig s(w.p, w.host);
    EXPECT_FALSE(s.timer1Enabled);
    s.ValidateFields();
    EXPECT_TRUE(s.timer1Enabled);
}

TEST(EnableFields, ByModeAndBoxes) {
    struct FieldState {
        bool enabled;
        bool readOnly;
        Colour back;
        bool operator==(const FieldState&) const = default;
    };
    const FieldState off{false, false, kButtonFace}, live{true, false, kWindowBackground},
        locked{false, true, kButtonFace};
    struct Row {
        bool slave, delOn, stopOn;
        FieldState delTime, stopTime, comDelay;
        bool boxesEnabled;
    };
    const Row rows[] = {
        {false, false, false, off, off, locked, true},     {false, true, false, live, off, locked, true},
        {false, false, true, off, live, locked, true},     {false, true, true, live, live, locked, true},
        {true, false, false, locked, locked, live, false}, {true, true, true, locked, locked, live, false},
    };
    auto state = [](const TextFieldView& f) { return FieldState{f.enabled, f.readOnly, f.back}; };
    for (const Row& r : rows) {
        ScreenWorld w;
        if (r.slave) Slave()(w);
        frmConfig& s = w.Open();
        s.Del_OnT_Click(r.delOn);
        s.Stop_OnT_Click(r.stopOn);
        s.EnableFields();
        std::string row = std::to_string(r.slave) + std::to_string(r.delOn) + std::to_string(r.stopOn);
        EXPECT_TRUE(state(s.view.DelTimeT) == r.delTime) << row;
        EXPECT_TRUE(state(s.view.StopTimeT) == r.stopTime) << row;
        EXPECT_TRUE(state(s.view.ComDelayT) == r.comDelay) << row;
        EXPECT_EQ(s.view.Del_OnT.enabled, r.boxesEnabled) << row;
        EXPECT_EQ(s.view.Stop_OnT.enabled, r.boxesEnabled) << row;
        EXPECT_EQ(s.view.Del_OnT.checked, r.delOn) << row;
    }
}

TEST(EnableFields, ForceOnlyForTypesWithAForcedVariant) {
    struct Row {
        const char* item;
        bool force;
    };
    for (const Row& r : {Row{"Power Off", true}, Row{"Reboot", true}, Row{"Shutdown", true},
                         Row{"Monitor", false}, Row{"Hibernate", false}, Row{"StandBy", false}}) {
        ScreenWorld w;
        frmConfig& s = w.Open();
        s.ShutNameT_Click(r.item);
        EXPECT_EQ(s.view.ForceT.enabled, r.force) << r.item;
        EXPECT_TRUE(s.view.ForceT.checked) << r.item;
    }
}

TEST(FieldSnapshot, JoinsAllFieldsInOrder) {
    ScreenWorld w;
    frmConfig& s = w.Open();
    EXPECT_EQ(s.FieldSnapshot(),
              "60,0,,60,editor,,,Quenzel.log,Log\\\\,10001,10000,0,0,60,2,0,2,1,00:00,0,1,0,0,90");
    EXPECT_EQ(s.referenceSnapshot, s.FieldSnapshot());
}

TEST(FieldSnapshot, EveryFieldCounts) {
    const std::vector<Edit> edits = {
        Type(&ConfigView::ComDelayT, "61"),
        Tick(&ConfigView::DNameT),
        Address("1.1.1.1"),
        Type(&ConfigView::ProcDelayT, "61"),
        Type(&ConfigView::Proc1T, "x"),
        Type(&ConfigView::Proc2T, "x"),
        Type(&ConfigView::Proc3T, "x"),
        Type(&ConfigView::LogNameT, "Other.log"),
        Type(&ConfigView::LogPathT, "x\\"),
        Type(&ConfigView::Port1T, "2000"),
        Type(&ConfigView::Port2T, "2000"),
        Tick(&ConfigView::RunOnTopT),
        Tick(&ConfigView::StartMinT),
        Type(&ConfigView::ShutTimeT, "61"),
        Type(&ConfigView::StartDelayT, "3"),
        Tick(&ConfigView::StartTimeT),
        [](frmConfig& s) { s.workingLogLevel = 3; },
        [](frmConfig& s) { s.workingShutType = 2; },
        Type(&ConfigView::StopTimeT, "01:00"),
        Tick(&ConfigView::Stop_OnT),
        [](frmConfig& s) { s.view.ForceT.checked = false; },
        Tick(&ConfigView::UExitT),
        Tick(&ConfigView::Del_OnT),
        Type(&ConfigView::DelTimeT, "91"),
        // Texts holding the separator must not pass for other fields.
        All({Type(&ConfigView::Proc1T, "a,b"), Type(&ConfigView::Proc2T, "")}),
        All({Type(&ConfigView::Proc1T, "a"), Type(&ConfigView::Proc2T, "b,")}),
        All({Type(&ConfigView::Proc1T, "a\\"), Type(&ConfigView::Proc2T, ",b")}),
    };
    std::set<std::string> seen;
    ScreenWorld w;
    frmConfig& s = w.Open();
    seen.insert(s.FieldSnapshot());
    for (size_t i = 0; i < edits.size(); ++i) {
        ScreenWorld each;
        frmConfig& t = each.Open();
        edits[i](t);
        EXPECT_TRUE(seen.insert(t.FieldSnapshot()).second) << "edit " << i << ": " << t.FieldSnapshot();
    }
}

} // namespace
} // namespace qz::test
