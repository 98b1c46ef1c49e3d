#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "tests/gui_config/DialogWorld.h"

namespace qz::test {
namespace {

void Type(QLineEdit& field, const QString& text) {
    field.setFocus();
    field.selectAll();
    QTest::keyClicks(&field, text);
}

// A label's text, colour and weight.
std::string Look(const DialogWorld& w, const char* name) {
    const QLabel& label = w.Find<QLabel>(name);
    const std::string colour = label.palette().color(QPalette::WindowText).name().toStdString();
    return label.text().toStdString() + " " + colour + (label.font().bold() ? " bold" : "");
}

// What the user's action did: the boxes shown, the files viewed, the status line, the main window's
// calls, and the screen: its countdown stopped, on top, shown or hidden.
std::string Outcome(const DialogWorld& w) {
    std::string seen;
    for (const ShownMessage& box : w.host.messages)
        seen += box.title + "|";
    for (const std::string& file : w.world.system.viewed)
        seen += file.substr(w.dir.path().string().size()) + "|";
    seen += w.Find<QLabel>("Status").text().toStdString() + "|";
    for (const std::string& call : w.mainCalls)
        seen += call + "|";
    if (!w.Find<QTimer>("closeCountdown").isActive()) seen += "stopped ";
    if (w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) seen += "on top ";
    return seen + (w.dialog->isVisible() ? "shown" : "hidden");
}

// Each edit shows the view again: an edit that reached another part of the view would show there
// and vanish from the field the user typed into.
TEST(ConfigDialog, FieldsShowTheirSettingsAndTypingReachesItsOwnFieldOnly) {
    const std::pair<const char*, QString> fields[] = {
        {"Proc1T", "worker.exe"}, {"Proc2T", "rsync"},    {"Proc3T", "tar"},           {"ProcDelayT", "61"},
        {"DelTimeT", "91"},       {"StopTimeT", "22:30"}, {"LogNameT", "Quenzel.log"}, {"LogPathT", "Log\\"},
        {"StartDelayT", "3"},     {"ShutTimeT", "62"},    {"IPAddT", "10.1.1.1"},      {"Port1T", "10001"},
        {"Port2T", "10000"},      {"ComDelayT", "63"}}; // last: off for a main station
    IniFile ini; // both fixed shutdowns on, so that every field but the lost-link delay is live
    ini.Set("Proc2", "rsync").Set("Proc3", "tar").Set("ProcDelay", 61).Set("Del_On", 2).Set("DelTime", 91);
    ini.Set("Stop_On", 2).Set("StopTime", 12230).Set("StartDelay", 3).Set("ShutTime", 62).Set("ComDelay", 63);
    DialogWorld w(ini.Set("IPAdd", "10.1.1.1"));
    w.Open();
    QLineEdit& off = w.Find<QLineEdit>("ComDelayT");
    const QImage inside = off.grab().toImage(); // away from the text and the frame
    EXPECT_EQ(inside.pixelColor(inside.width() - 6, inside.height() / 2),
              QApplication::palette().color(QPalette::Button));
    EXPECT_TRUE(!off.isEnabled() && off.isReadOnly());
    for (size_t typed = 0; typed < std::size(fields); ++typed) {
        if (typed > 0) {
            QLineEdit& field = w.Find<QLineEdit>(fields[typed - 1].first);
            field.setFocus();
            field.setCursorPosition(0);
            QTest::keyClicks(&field, "78"); // the cursor stays where the user types
        }
        for (size_t i = 0; i < std::size(fields); ++i)
            EXPECT_EQ(w.Find<QLineEdit>(fields[i].first).text(), (i < typed ? "78" : "") + fields[i].second)
                << typed << " fields typed into, " << fields[i].first << " seen";
    }
}

TEST(ConfigDialog, TypedTextIsSavedBesideSingleByteTextAndTakesEffectAtExit) {
    DialogWorld w(IniFile().Set("Proc2", "rsync").Set("Proc3", "caf\xE9"));
    w.Open();
    EXPECT_EQ(w.Find<QLineEdit>("Proc3T").text(), QString::fromUtf8("caf\xC3\xA9"));
    Type(w.Find<QLineEdit>("Proc1T"), "blender");
    w.Click("Save");
    Settings expected = w.p.set;
    expected.processNames[0] = "blender";
    DialogWorld reader; // the settings as the program reads the saved file
    reader.dir.Write("Data/Quenzel.ini", w.dir.Read("Data/Quenzel.ini"));
    EXPECT_EQ(ReadConfigFile(reader.p.svc.files)->settings, expected);
    EXPECT_EQ(expected.processNames[2], "caf\xE9");
    w.Click("ExitConfig");
    EXPECT_EQ(Outcome(w), "Changes Saved - Click Exit To Activate The Changes|ResetMonitor|ShowStatus|"
                          "EnableMainControls|stopped hidden");
}

// With QZ_PICTURE naming a file, config_screenshot keeps the scene there for the README.
TEST(ConfigDialog, HintsStatusAndCountdownShowTheirLook) {
    DialogWorld w(IniFile().Set("Proc1", "blender").Set("Proc2", "rsync"));
    w.p.set.processDelay = 4; // out of range: marked at load
    w.Open();
    EXPECT_EQ(Look(w, "ProcDelayM"), "sec (min 5, max 3600) #ff8000 bold");
    EXPECT_EQ(Look(w, "ShutTimeM"), "sec (min 2, max 600) #006600");
    EXPECT_EQ(Look(w, "Status"), "1 Item(s) Highlighted Contain Out Of Range Values #ff8000");
    w.p.rt.ConfigCloseCount = 90; // the screen counts its last 90 seconds down at the top
    const QLabel& message = w.Find<QLabel>("TMessage");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !message.text().isEmpty(); }, 3000));
    EXPECT_EQ(Look(w, "TMessage"), "The Configuration Screen will close in 90 sec #ff8000");
    EXPECT_EQ(message.palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_TRUE(message.autoFillBackground() && message.textFormat() == Qt::PlainText); // never markup
    const QString picture = qEnvironmentVariable("QZ_PICTURE");
    EXPECT_TRUE(picture.isEmpty() || w.dialog->grab().save(picture));

    // A corrected value loses its mark at Save; the status clears itself 2 seconds later.
    Type(w.Find<QLineEdit>("ProcDelayT"), "60");
    w.Click("Save");
    EXPECT_EQ(Look(w, "ProcDelayM"), "sec (min 5, max 3600) #006600");
    EXPECT_EQ(Look(w, "Status"), "Changes Saved - Click Exit To Activate The Changes #ff8000");
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Find<QLabel>("Status").text().isEmpty(); }, 5000));
}

TEST(ConfigDialog, TickBoxesReachTheirOwnPartOnly) {
    const char* boxes[] = {"RunOnTopT",  "StartMinT", "Del_OnT", "Stop_OnT",
                           "StartTimeT", "ForceT",    "UExitT",  "DNameT"};
    for (size_t clicked = 0; clicked < std::size(boxes); ++clicked) {
        DialogWorld w(IniFile().Set("RunOnTop", 2));
        w.Open(); // activated: on top, as the setting says
        EXPECT_TRUE(w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const auto ticks = [&] {
            std::string shown;
            for (const char* box : boxes)
                shown += w.Find<QCheckBox>(box).isChecked() ? 'x' : '-';
            return shown;
        };
        std::string expected = ticks();
        expected[clicked] = expected[clicked] == 'x' ? '-' : 'x';
        w.Click(boxes[clicked]);
        EXPECT_EQ(ticks(), expected) << boxes[clicked];
        EXPECT_EQ(Outcome(w), clicked == 0 ? "|shown" : "|on top shown"); // still shown when no longer on top
    }
}

TEST(ConfigDialog, ListsOfferTheirItemsOnlyAndPassTheChoice) {
    DialogWorld w;
    w.Open();
    QComboBox& types = w.Find<QComboBox>("ShutNameT");
    QComboBox& levels = w.Find<QComboBox>("LogLevelT");
    const auto items = [](const QComboBox& list) {
        QStringList all;
        for (int i = 0; i < list.count(); ++i)
            all << list.itemText(i);
        return (all.join("|") + " " + list.currentText() + (list.isEditable() ? " editable" : ""))
            .toStdString();
    };
    EXPECT_EQ(items(types), "Hibernate|Monitor|Power Off|Reboot|Shutdown|StandBy Shutdown");
    EXPECT_EQ(items(levels), "Full|None|Normal Normal");
    // The keyboard's way of choosing.
    const auto choose = [](QComboBox& list, const QString& item) {
        list.setFocus();
        while (list.currentText() != item && list.findText(item) >= 0)
            QTest::keyClick(&list, list.currentIndex() < list.findText(item) ? Qt::Key_Down : Qt::Key_Up);
    };
    choose(types, "Hibernate");
    EXPECT_FALSE(w.Find<QCheckBox>("ForceT").isEnabled());
    choose(levels, "None");
    EXPECT_FALSE(w.Find("Archive").isEnabled() || w.Find("ViewL").isEnabled());
    EXPECT_EQ(w.View().ShutNameT.text + " " + w.View().LogLevelT.text, "Hibernate None");
}

TEST(ConfigDialog, ButtonsLeftToRightTheLogoAndClosingReachTheirHandlers) {
    const struct {
        const char *name, *caption, *outcome;
        std::function<void(ConfigDialog&)> close = {}; // instead of a click on the control
    } controls[] = {
        {"Archive", "&Archive", "Archive Quenzel Log File||shown"},
        {"ViewL", "&View Log", "/Log/Quenzel.log||shown"},
        {"Restore", "&Restore", "Defaults Restored - Click Save To Keep|shown"},
        {"Save", "&Save", "No Changes To Save|shown"},
        {"ExitConfig", "&Exit", "|EnableMainControls|stopped hidden"},
        {"Logo", nullptr, "|OpenWebPage index.htm|shown"},
        {"title bar", nullptr, "|EnableMainControls|stopped hidden", [](ConfigDialog& d) { d.close(); }},
        {"done", nullptr, "|EnableMainControls|stopped hidden", [](ConfigDialog& d) { d.accept(); }},
        // Escape would close the screen past Exit's question about unsaved edits.
        {"Escape", nullptr, "|shown", [](ConfigDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    int left = -1;
    for (const auto& control : controls) {
        DialogWorld w;
        w.Open();
        if (control.caption) {
            QPushButton& button = w.Find<QPushButton>(control.name);
            EXPECT_EQ(button.text(), control.caption);
            EXPECT_GT(button.x(), left) << control.name;
            EXPECT_FALSE(button.autoDefault()) << control.name; // Enter in a field presses none of them
            left = button.x();
        }
        control.close ? control.close(*w.dialog) : w.Click(control.name);
        EXPECT_EQ(Outcome(w), control.outcome);
        EXPECT_EQ(w.p.rt.DialogOpen, w.dialog->isVisible()) << control.name;
    }
}

TEST(ConfigDialog, ClosedWhileItsBoxIsOpenItOutlivesTheBox) {
    DialogWorld w;
    QPointer<ConfigDialog> dialog = new ConfigDialog(w.p, std::make_unique<FakeMainSide>(w.mainCalls));
    dialog->SetDeleteWhenClosed(true);
    dialog->show();
    bool aliveInBox = false;
    w.host.whileOpen = [&] {
        dialog->close(); // the main window's count ran out meanwhile
        QTest::qWait(0);
        aliveInBox = !dialog.isNull();
    };
    QTest::mouseClick(dialog->findChild<QPushButton*>("Archive"), Qt::LeftButton);
    QTest::qWait(0);
    EXPECT_TRUE(aliveInBox && dialog.isNull());
}

} // namespace
} // namespace qz::test
