#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "tests/gui_config/DialogWorld.h"
#include "tests/gui_config/Pixels.h"

namespace qz::test {
namespace {

const QColor kShownOrange(255, 128, 0);
const QColor kShownGreen(0, 102, 0);

template <class View> using Part = View ConfigView::*;

void Type(QLineEdit& field, const QString& text) {
    field.setFocus();
    field.selectAll();
    QTest::keyClicks(&field, text);
}

void Click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton);
}

// Chooses a list's item the way the keyboard does.
void Choose(QComboBox& list, const QString& item) {
    const int target = list.findText(item);
    ASSERT_GE(target, 0) << item.toStdString();
    list.setFocus();
    while (list.currentIndex() != target) {
        QTest::keyClick(&list, list.currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }
}

QStringList Items(const QComboBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items.append(list.itemText(i));
    return items;
}

// A main station whose text settings all differ, with both fixed shutdowns on so every field but the
// lost-link delay is live.
void DistinctSettings(DialogWorld& w) {
    Settings& s = w.p.set;
    s.Proc2 = "rsync";
    s.Proc3 = "tar";
    s.ProcDelay = 61;
    s.Del_On = 2;
    s.DelTime = 91;
    s.Stop_On = 2;
    s.StopTime = 2230;
    s.StartDelay = 3;
    s.ShutTime = 62;
    s.ComDelay = 63;
    s.IPAdd = "10.1.1.1";
}

const struct TextRow {
    const char* name;
    Part<TextFieldView> part;
    const char* loaded;
} kTextFields[] = {
    {"Proc1T", &ConfigView::Proc1T, "editor"},
    {"Proc2T", &ConfigView::Proc2T, "rsync"},
    {"Proc3T", &ConfigView::Proc3T, "tar"},
    {"ProcDelayT", &ConfigView::ProcDelayT, "61"},
    {"DelTimeT", &ConfigView::DelTimeT, "91"},
    {"StopTimeT", &ConfigView::StopTimeT, "22:30"},
    {"LogNameT", &ConfigView::LogNameT, "Quenzel.log"},
    {"LogPathT", &ConfigView::LogPathT, "Log\\"},
    {"StartDelayT", &ConfigView::StartDelayT, "3"},
    {"ShutTimeT", &ConfigView::ShutTimeT, "62"},
    {"IPAddT", &ConfigView::IPAddT, "10.1.1.1"},
    {"Port1T", &ConfigView::Port1T, "10001"},
    {"Port2T", &ConfigView::Port2T, "10000"},
    {"ComDelayT", &ConfigView::ComDelayT, "63"},
};

TEST(TextFields, ShowTheLoadedSettings) {
    DialogWorld w;
    DistinctSettings(w);
    w.OpenDialog();
    for (const TextRow& row : kTextFields) {
        EXPECT_EQ(w.Find<QLineEdit>(row.name).text().toStdString(), row.loaded) << row.name;
    }
    EXPECT_EQ(w.Find<QLineEdit>("Proc1T").toolTip(), "1st process to monitor");
}

TEST(TextFields, TypedTextReachesItsOwnFieldOnly) {
    DialogWorld w;
    DistinctSettings(w);
    w.OpenDialog();
    const size_t live = std::size(kTextFields) - 1; // the lost-link delay is off for a main station
    for (size_t typed = 0; typed < live; ++typed) {
        QLineEdit& field = w.Find<QLineEdit>(kTextFields[typed].name);
        field.setFocus();
        field.end(false);
        QTest::keyClicks(&field, "7");
        for (size_t i = 0; i < std::size(kTextFields); ++i) {
            const std::string expected = std::string(kTextFields[i].loaded) + (i <= typed ? "7" : "");
            EXPECT_EQ((w.View().*kTextFields[i].part).text, expected)
                << "after typing into " << kTextFields[typed].name << ": " << kTextFields[i].name;
        }
    }
    // Typing checks nothing: the bad values are marked only by Save.
    EXPECT_EQ(w.Find<QLabel>("Port1M").palette().color(QPalette::WindowText), kShownGreen);
}

TEST(TextFields, TypedValueIsSavedToTheFile) {
    DialogWorld w;
    w.OpenDialog();
    Type(w.Find<QLineEdit>("Proc2T"), "backup");
    EXPECT_EQ(w.View().Proc2T.text, "backup");
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);

    Click(w.Find<QPushButton>("Save"));
    EXPECT_EQ(w.Find<QLabel>("Status").text(), "Changes Saved - Click Exit To Activate The Changes");
    Settings expected = MainSettings();
    expected.Proc2 = "backup";
    EXPECT_EQ(w.ReadBack(), expected);
}

TEST(TextFields, SingleByteTextSurvivesASaveOfAnotherField) {
    DialogWorld w;
    w.p.set.Proc3 = "caf\xE9";
    w.p.set.Proc2 = "rsync";
    w.OpenDialog();
    EXPECT_EQ(w.Find<QLineEdit>("Proc3T").text(), QString::fromUtf8("caf\xC3\xA9"));
    Type(w.Find<QLineEdit>("Proc1T"), "blender");
    Click(w.Find<QPushButton>("Save"));
    EXPECT_EQ(w.Find<QLabel>("Status").text(), "Changes Saved - Click Exit To Activate The Changes");
    Settings expected = MainSettings();
    expected.Proc1 = "blender";
    expected.Proc2 = "rsync";
    expected.Proc3 = "caf\xE9";
    EXPECT_EQ(w.ReadBack(), expected);
}

TEST(Hints, MarkedHintIsOrangeAndBold) {
    DialogWorld w;
    w.p.set.ProcDelay = 4; // below its range: marked at load
    w.OpenDialog();
    QLabel& marked = w.Find<QLabel>("ProcDelayM");
    QLabel& normal = w.Find<QLabel>("ShutTimeM");
    EXPECT_EQ(marked.text(), "sec (min 5, max 3600)");
    EXPECT_EQ(marked.palette().color(QPalette::WindowText), kShownOrange);
    EXPECT_TRUE(marked.font().bold());
    EXPECT_GT(PixelsNear(marked, kShownOrange), 0);
    EXPECT_EQ(PixelsNear(marked, kShownGreen), 0);
    EXPECT_EQ(normal.palette().color(QPalette::WindowText), kShownGreen);
    EXPECT_FALSE(normal.font().bold());
    EXPECT_GT(PixelsNear(normal, kShownGreen), 0);
    EXPECT_EQ(PixelsNear(normal, kShownOrange), 0);
    QLabel& status = w.Find<QLabel>("Status");
    EXPECT_EQ(status.text(), "1 Item(s) Highlighted Contain Out Of Range Values");
    EXPECT_EQ(status.palette().color(QPalette::WindowText), kShownOrange);

    // A corrected value loses the mark at the next Save, a new bad one gets it.
    Type(w.Find<QLineEdit>("ProcDelayT"), "60");
    Type(w.Find<QLineEdit>("Port1T"), "70000");
    Click(w.Find<QPushButton>("Save"));
    EXPECT_EQ(marked.palette().color(QPalette::WindowText), kShownGreen);
    EXPECT_FALSE(marked.font().bold());
    QLabel& port = w.Find<QLabel>("Port1M");
    EXPECT_EQ(port.palette().color(QPalette::WindowText), kShownOrange);
    EXPECT_TRUE(port.font().bold());
    EXPECT_EQ(status.text(), "1 Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
}

TEST(TextFields, SwitchedOffFieldsShowTheButtonFace) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor live = QApplication::palette().color(QPalette::Base);
    ASSERT_NE(face, live);
    const struct {
        const char* name;
        bool slave;
        const char* field;
        bool enabled;
        bool readOnly;
    } rows[] = {
        {"main station", false, "ComDelayT", false, true},  {"main station", false, "DelTimeT", false, false},
        {"main station", false, "StopTimeT", false, false}, {"main station", false, "Proc1T", true, false},
        {"slave", true, "ComDelayT", true, false},          {"slave", true, "DelTimeT", false, true},
        {"slave", true, "StopTimeT", false, true},
    };
    for (const auto& row : rows) {
        DialogWorld w;
        if (row.slave) w.p.set = SlaveSettings();
        w.OpenDialog();
        QLineEdit& field = w.Find<QLineEdit>(row.field);
        const std::string what = std::string(row.name) + " " + row.field;
        EXPECT_EQ(field.isEnabled(), row.enabled) << what;
        EXPECT_EQ(field.isReadOnly(), row.readOnly) << what;
        const QColor back = row.enabled ? live : face;
        EXPECT_EQ(
            field.palette().color(field.isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base),
            back)
            << what;
        // The inside of the field, away from its text and frame, is painted in that colour.
        const QImage picture = field.grab().toImage();
        EXPECT_EQ(picture.pixelColor(picture.width() - 6, picture.height() / 2), back) << what;
    }
}

TEST(CheckBoxes, ClickReachesTheViewAndItsRules) {
    using Check = std::function<void(DialogWorld&, bool ticked)>;
    const struct {
        const char* name;
        Part<CheckBoxView> part;
        Check follows;
    } rows[] = {
        {"RunOnTopT", &ConfigView::RunOnTopT,
         [](DialogWorld& w, bool ticked) {
             EXPECT_EQ(w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint), ticked);
         }},
        {"StartMinT", &ConfigView::StartMinT, {}},
        {"Del_OnT", &ConfigView::Del_OnT,
         [](DialogWorld& w, bool ticked) { EXPECT_EQ(w.Find<QLineEdit>("DelTimeT").isEnabled(), ticked); }},
        {"Stop_OnT", &ConfigView::Stop_OnT,
         [](DialogWorld& w, bool ticked) { EXPECT_EQ(w.Find<QLineEdit>("StopTimeT").isEnabled(), ticked); }},
        {"StartTimeT", &ConfigView::StartTimeT,
         [](DialogWorld& w, bool ticked) {
             EXPECT_EQ(w.Find<QLabel>("StartDelayL").text(), ticked ? "Activate At:" : "Activate After:");
         }},
        {"ForceT", &ConfigView::ForceT,
         [](DialogWorld& w, bool ticked) {
             EXPECT_EQ(w.Find<QLabel>("ShutTypeM").text(), ticked ? "(Forces Applications To Close)" : "");
         }},
        {"UExitT", &ConfigView::UExitT, {}},
        {"DNameT", &ConfigView::DNameT,
         [](DialogWorld& w, bool ticked) {
             EXPECT_EQ(w.Find<QLabel>("IPAddL").text(), ticked ? "Domain Name" : "IP Address");
         }},
    };
    for (const auto& row : rows) {
        DialogWorld w;
        w.OpenDialog();
        QCheckBox& box = w.Find<QCheckBox>(row.name);
        const bool before = (w.View().*row.part).checked;
        EXPECT_EQ(box.isChecked(), before) << row.name;
        for (bool ticked : {!before, before}) {
            Click(box);
            EXPECT_EQ((w.View().*row.part).checked, ticked) << row.name;
            EXPECT_EQ(box.isChecked(), ticked) << row.name;
            if (row.follows) row.follows(w, ticked);
        }
    }
}

TEST(CheckBoxes, TickingFixedTimeChangesTheActivationRow) {
    DialogWorld w;
    w.OpenDialog();
    QLabel& label = w.Find<QLabel>("StartDelayL");
    QLabel& hint = w.Find<QLabel>("StartDelayM");
    QLineEdit& field = w.Find<QLineEdit>("StartDelayT");
    EXPECT_EQ(label.text(), "Activate After:");
    EXPECT_EQ(hint.text(), "seconds (min 1, max 3600)");
    EXPECT_EQ(field.text(), "2");

    Click(w.Find<QCheckBox>("StartTimeT"));
    EXPECT_EQ(label.text(), "Activate At:");
    EXPECT_EQ(hint.text(), "Time in the format xx:xx");
    EXPECT_EQ(field.toolTip(), "Time at which program is activated in the format 'xx:xx' (24 hour clock)");
    EXPECT_EQ(field.text(), ""); // a number of seconds is no time of day

    Type(field, "07:30");
    Click(w.Find<QCheckBox>("StartTimeT"));
    EXPECT_EQ(label.text(), "Activate After:");
    EXPECT_EQ(hint.text(), "seconds (min 1, max 3600)");
    EXPECT_EQ(field.toolTip(), "Delay after startup before program is activated");
    EXPECT_EQ(field.text(), "");
}

TEST(Lists, HoldTheirItemsInOrderAndCannotBeTypedInto) {
    DialogWorld w;
    w.OpenDialog();
    QComboBox& levels = w.Find<QComboBox>("LogLevelT");
    QComboBox& types = w.Find<QComboBox>("ShutNameT");
    EXPECT_EQ(Items(levels), QStringList({"Full", "None", "Normal"}));
    EXPECT_EQ(Items(types),
              QStringList({"Hibernate", "Monitor", "Power Off", "Reboot", "Shutdown", "StandBy"}));
    EXPECT_FALSE(levels.isEditable());
    EXPECT_FALSE(types.isEditable());
    EXPECT_EQ(levels.currentText(), "Normal");
    EXPECT_EQ(types.currentText(), "Power Off");
    EXPECT_EQ(types.toolTip(), "Type of Shutdown");
}

TEST(Lists, ChosenItemsReachTheirHandlers) {
    DialogWorld w;
    w.OpenDialog();
    QComboBox& types = w.Find<QComboBox>("ShutNameT");
    QCheckBox& force = w.Find<QCheckBox>("ForceT");
    QLabel& typeHint = w.Find<QLabel>("ShutTypeM");
    EXPECT_EQ(typeHint.text(), "(Forces Applications To Close)");

    Choose(types, "Hibernate");
    EXPECT_EQ(w.View().ShutNameT.text, "Hibernate");
    EXPECT_FALSE(force.isEnabled());
    EXPECT_EQ(typeHint.text(), "");
    Choose(types, "Monitor");
    EXPECT_EQ(typeHint.text(), "(Only Use With A Valid IP Address)");
    EXPECT_EQ(w.Find<QLabel>("IPAddM").text(), "(A valid IP address)");
    Choose(types, "Reboot");
    EXPECT_TRUE(force.isEnabled());
    EXPECT_EQ(typeHint.text(), "(Forces Applications To Close)");

    QComboBox& levels = w.Find<QComboBox>("LogLevelT");
    QPushButton& archive = w.Find<QPushButton>("Archive");
    QPushButton& view = w.Find<QPushButton>("ViewL");
    EXPECT_TRUE(archive.isEnabled());
    Choose(levels, "None");
    EXPECT_EQ(w.View().LogLevelT.text, "None");
    EXPECT_FALSE(archive.isEnabled());
    EXPECT_FALSE(view.isEnabled());
    Choose(levels, "Full");
    EXPECT_TRUE(archive.isEnabled());
    EXPECT_TRUE(view.isEnabled());
}

TEST(Buttons, CaptionsLeftToRight) {
    DialogWorld w;
    w.OpenDialog();
    const char* names[] = {"Archive", "ViewL", "Restore", "Save", "ExitConfig"};
    const char* captions[] = {"&Archive", "&View Log", "&Restore", "&Save", "&Exit"};
    int left = -1;
    for (size_t i = 0; i < std::size(names); ++i) {
        QPushButton& button = w.Find<QPushButton>(names[i]);
        EXPECT_EQ(button.text(), captions[i]);
        EXPECT_GT(button.x(), left) << names[i];
        EXPECT_FALSE(button.autoDefault()) << names[i];
        left = button.x();
    }
    EXPECT_EQ(w.Find<QPushButton>("Save").toolTip(),
              "Save Quenzel Configuration Values (The program will be reset when you close this screen if "
              "values have been changed)");
    EXPECT_EQ(w.Find<QPushButton>("Archive").toolTip(), "Archive Quenzel log file and create new one");
}

TEST(Buttons, EachReachesItsHandler) {
    using Check = std::function<void(DialogWorld&)>;
    const struct {
        const char* name;
        Check done;
    } rows[] = {
        {"Archive",
         [](DialogWorld& w) {
             ASSERT_EQ(w.world.host.messages.size(), 1u);
             EXPECT_EQ(w.world.host.messages[0].title, "Archive Quenzel Log File");
         }},
        {"ViewL",
         [](DialogWorld& w) {
             EXPECT_EQ(w.world.system.viewed,
                       std::vector<std::string>{w.world.files.Resolve("Log\\Quenzel.log").string()});
         }},
        {"Restore",
         [](DialogWorld& w) {
             EXPECT_EQ(w.Find<QLabel>("Status").text(), "Defaults Restored - Click Save To Keep");
         }},
        {"Save", [](DialogWorld& w) { EXPECT_EQ(w.Find<QLabel>("Status").text(), "No Changes To Save"); }},
        {"ExitConfig", [](DialogWorld& w) { EXPECT_FALSE(w.dialog->isVisible()); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DialogWorld w;
        w.dir.Write("Log/Quenzel.log", "a log\n");
        w.OpenDialog();
        Click(w.Find<QPushButton>(row.name));
        row.done(w);
        EXPECT_FALSE(w.world.host.endedWith.has_value());
    }
}

} // namespace
} // namespace qz::test
