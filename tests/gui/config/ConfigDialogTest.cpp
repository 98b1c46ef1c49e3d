#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>
#include <map>

#include "gui/config/ConfigDialog.h"
#include "tests/app/Harness.h"

namespace qz::test {
namespace {

// The main window as the dialog sees it: its calls in order, in a list that outlives the dialog.
struct FakeMainSide : MainWindowSide {
    explicit FakeMainSide(std::vector<std::string>& list) : calls(list) {}
    void ResetProgram() override { calls.push_back("ResetProgram"); }
    void EnableMainControls() override { calls.push_back("EnableMainControls"); }
    void OpenWebPage(const std::string& page) override { calls.push_back("OpenWebPage " + page); }
    void EndProgram(const Fault& fault) override { calls.push_back("EndProgram " + fault.title); }
    std::vector<std::string>& calls;
};

// The configuration dialog over a program started with the configuration file, fakes for the world.
struct DialogWorld : Monitor {
    explicit DialogWorld(const IniFile& ini = IniFile()) { Start(ini); }
    // Shows the dialog and activates it, as the window system does.
    void Open() {
        dialog = std::make_unique<ConfigDialog>(p, std::make_unique<FakeMainSide>(mainCalls));
        dialog->show();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(dialog.get(), &activate);
    }
    template <class T = QWidget> T& Find(const std::string& name) const {
        if (T* control = dialog->findChild<T*>(QString::fromStdString(name))) return *control;
        throw std::runtime_error("no control " + name);
    }
    void Click(const std::string& name) const { QTest::mouseClick(&Find(name), Qt::LeftButton); }
    std::string Text(const std::string& label) const { return Find<QLabel>(label).text().toStdString(); }

    // Each row's field text or tick ("x", "-") by name, with labels and hints if asked: as the view
    // holds them or as the controls show them.
    std::map<std::string, std::string> Rows(bool shown, bool labels) const {
        std::map<std::string, std::string> rows;
        auto label = [&](const std::string& name, const LabelView& part) {
            if (labels) rows[name] = shown ? Text(name) : part.text;
        };
        VisitRows(dialog->Screen().view,
                  Overloaded{[&](std::string_view name, const FieldRow& row) {
                                 const std::string n(name);
                                 label(n + "Label", row.label);
                                 label(n + "Hint", row.hint);
                                 rows[n] = shown ? Find<QLineEdit>(n).text().toStdString() : row.field.text;
                             },
                             [&](std::string_view name, const CheckRow& row) {
                                 const std::string n(name);
                                 label(n + "Label", row.label);
                                 rows[n] =
                                     (shown ? Find<QCheckBox>(n).isChecked() : row.box.checked) ? "x" : "-";
                             },
                             [](std::string_view, const auto&) {}});
        return rows;
    }

    std::vector<std::string> mainCalls;
    std::unique_ptr<ConfigDialog> dialog;
};

// A label's text, colour and weight.
std::string Look(const DialogWorld& w, const char* name) {
    const QLabel& label = w.Find<QLabel>(name);
    const std::string colour = label.palette().color(QPalette::WindowText).name().toStdString();
    return label.text().toStdString() + " " + colour + (label.font().bold() ? " bold" : "");
}

// What an action did: boxes shown, files viewed, the status, the main window's calls, the screen.
std::string Outcome(const DialogWorld& w) {
    std::string seen;
    for (const ShownMessage& box : w.host.messages)
        seen += box.title + "|";
    for (const std::string& file : w.world.system.viewed)
        seen += file.substr(w.dir.path().string().size()) + "|";
    seen += w.Text("status") + "|";
    for (const std::string& call : w.mainCalls)
        seen += call + "|";
    if (!w.Find<QTimer>("closeCountdown").isActive()) seen += "stopped ";
    if (w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) seen += "on top ";
    return seen + (w.dialog->isVisible() ? "shown" : "hidden");
}

// Each control changes its own part of the view only, and the controls show the view again; both
// fixed shutdowns are on, so that every field but the lost link delay is live.
TEST(ConfigDialog, EachControlChangesItsOwnPartAndShowsTheView) {
    DialogWorld w(IniFile().Set("Proc2", "rsync").Set("Del_On", 2).Set("Stop_On", 2).Set("RunOnTop", 2));
    w.Open();
    EXPECT_TRUE(w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint)); // as the setting says
    QLineEdit& off = w.Find<QLineEdit>("lostLinkDelay");
    const QImage inside = off.grab().toImage(); // away from the text and the frame
    EXPECT_EQ(inside.pixelColor(inside.width() - 6, inside.height() / 2),
              QApplication::palette().color(QPalette::Button));
    EXPECT_TRUE(!off.isEnabled() && off.isReadOnly());
    EXPECT_EQ(w.Rows(true, true), w.Rows(false, true));
    for (const bool boxes : {false, true}) { // the fields first: a tick may switch a field off
        for (const auto& [name, first] : w.Rows(false, false)) {
            auto expected = w.Rows(false, false);
            std::string& value = expected[name];
            if ((value == "x" || value == "-") != boxes || name == "lostLinkDelay") continue;
            if (boxes) {
                value = value == "x" ? "-" : "x";
                w.Click(name);
            } else {
                QLineEdit& field = w.Find<QLineEdit>(name);
                field.setFocus();
                field.setCursorPosition(0);
                QTest::keyClicks(&field, "78"); // the cursor stays where the user types
                value = "78" + value;
            }
            if (name == "activateAtTime") expected["activation"] = ""; // seconds are no time of day
            EXPECT_EQ(w.Rows(false, false), expected) << name;
            EXPECT_EQ(w.Rows(true, true), w.Rows(false, true)) << name;
        }
    }
    EXPECT_EQ(Outcome(w), "|shown"); // no longer on top, still shown
}

void Type(QLineEdit& field, const QString& text) {
    field.setFocus();
    field.selectAll();
    QTest::keyClicks(&field, text);
}

// Typed text reaches the view as UTF-8; single-byte text from the file shows as the characters it means.
TEST(ConfigDialog, TypedTextIsUtf8BesideSingleByteTextAndASaveTakesEffectAtExit) {
    DialogWorld w(IniFile().Set("Proc2", "rsync").Set("Proc3", "caf\xE9"));
    w.Open();
    EXPECT_EQ(w.Find<QLineEdit>("processName3").text(), QString::fromUtf8("caf\xC3\xA9"));
    QLineEdit& field = w.Find<QLineEdit>("processName1");
    Type(field, "bl");
    QKeyEvent accent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\xC3\xA9"));
    QCoreApplication::sendEvent(&field, &accent);
    QTest::keyClicks(&field, "nder");
    EXPECT_EQ(w.dialog->Screen().view.processNames[0].field.text, "bl\xC3\xA9nder");
    w.Click("save");
    w.Click("exit");
    EXPECT_EQ(Outcome(w),
              "Changes Saved - Click Exit To Activate The Changes|ResetProgram|EnableMainControls|"
              "stopped hidden");
}

// With QZ_PICTURE naming a file, config_screenshot keeps the scene there for the README.
TEST(ConfigDialog, HintsStatusAndCountdownShowTheirLook) {
    DialogWorld w(IniFile().Set("Proc1", "blender").Set("Proc2", "rsync"));
    w.p.set.processDelay = 4; // out of range: marked at load
    w.Open();
    EXPECT_EQ(Look(w, "processDelayHint"), "sec (min 5, max 3600) #ff8000 bold");
    EXPECT_EQ(Look(w, "countdownHint"), "sec (min 2, max 600) #006600");
    EXPECT_EQ(Look(w, "status"), "1 Item(s) Highlighted Contain Out Of Range Values #ff8000");
    w.p.rt.ConfigCloseCount = 90; // the screen counts its last 90 seconds down at the top
    const QLabel& notice = w.Find<QLabel>("closeNotice");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notice.text().isEmpty(); }, 3000));
    EXPECT_EQ(Look(w, "closeNotice"), "The Configuration Screen will close in 90 sec #ff8000");
    EXPECT_EQ(notice.palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_TRUE(notice.autoFillBackground() && notice.textFormat() == Qt::PlainText); // never markup
    const QString picture = qEnvironmentVariable("QZ_PICTURE");
    EXPECT_TRUE(picture.isEmpty() || w.dialog->grab().save(picture));

    // A corrected value loses its mark at Save; the status clears itself 2 seconds later.
    Type(w.Find<QLineEdit>("processDelay"), "60");
    w.Click("save");
    EXPECT_EQ(Look(w, "processDelayHint"), "sec (min 5, max 3600) #006600");
    EXPECT_EQ(Look(w, "status"), "Changes Saved - Click Exit To Activate The Changes #ff8000");
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Text("status").empty(); }, 5000));
}

TEST(ConfigDialog, ListsOfferTheirItemsOnlyAndPassTheKeyboardsChoice) {
    DialogWorld w;
    w.Open();
    std::string seen;
    for (const auto& [name, item] : {std::pair{"shutdownType", "Hibernate"}, {"logLevel", "None"}}) {
        QComboBox& list = w.Find<QComboBox>(name);
        for (int i = 0; i < list.count(); ++i)
            seen += list.itemText(i).toStdString() + "|";
        seen += list.currentText().toStdString() + (list.isEditable() ? "! " : " ");
        list.setFocus();
        while (list.currentText() != item && list.findText(item) >= 0)
            QTest::keyClick(&list, list.currentIndex() < list.findText(item) ? Qt::Key_Down : Qt::Key_Up);
    }
    const ConfigView& v = w.dialog->Screen().view;
    EXPECT_EQ(seen + v.shutdownType.list.text + " " + v.logLevel.list.text,
              "Hibernate|Monitor|Power Off|Reboot|Shutdown|StandBy|Shutdown Full|None|Normal|Normal "
              "Hibernate None");
    EXPECT_FALSE(w.Find("force").isEnabled() || w.Find("archive").isEnabled() ||
                 w.Find("viewLog").isEnabled());
}

TEST(ConfigDialog, ButtonsLeftToRightTheLogoAndClosingReachTheirHandlers) {
    const struct {
        const char *name, *caption, *outcome;
        std::function<void(ConfigDialog&)> close = {}; // instead of a click on the control
    } controls[] = {
        {"archive", "&Archive", "Archive Quenzel Log File||shown"},
        {"viewLog", "&View Log", "/Log/Quenzel.log||shown"},
        {"restore", "&Restore", "Defaults Restored - Click Save To Keep|shown"},
        {"save", "&Save", "No Changes To Save|shown"},
        {"exit", "&Exit", "|EnableMainControls|stopped hidden"},
        {"logo", nullptr, "|OpenWebPage index.htm|shown"},
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
    QTest::mouseClick(dialog->findChild<QPushButton*>("archive"), Qt::LeftButton);
    QTest::qWait(0);
    EXPECT_TRUE(aliveInBox && dialog.isNull());
}

} // namespace
} // namespace qz::test
