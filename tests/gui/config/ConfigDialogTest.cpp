#include <QtTest>
#include <QtWidgets>
#include <gtest/gtest.h>
#include <map>

#include "gui/config/ConfigDialog.h"
#include "tests/app/Harness.h"

namespace qz::test {
namespace {

using namespace std::string_literals;

// The main window as the dialog sees it: its calls in order, in a list that outlives the dialog.
struct FakeMainSide : MainWindowSide {
    explicit FakeMainSide(std::vector<std::string>& list) : calls(list) {}
    void ResetProgram() override { calls.push_back("ResetProgram"); }
    void EnableMainControls() override { calls.push_back("EnableMainControls"); }
    void OpenWebPage(const std::string& page) override { calls.push_back("OpenWebPage " + page); }
    void EndProgram(const Fault& fault) override { calls.push_back("EndProgram " + fault.title); }
    std::vector<std::string>& calls;
};

// The configuration dialog, shown and activated, over a program started with the file; fakes for the world.
struct DialogWorld : Monitor {
    explicit DialogWorld(const IniFile& ini = IniFile()) { Start(ini); }
    ~DialogWorld() { delete dialog; }
    void Open() {
        dialog = new ConfigDialog(p, std::make_unique<FakeMainSide>(mainCalls));
        dialog->SetDeleteWhenClosed(true); // as the main window's is: once closed and its handlers done
        dialog->show();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(dialog.get(), &activate);
    }
    template <class T = QWidget> T& Find(const std::string& name) const {
        if (T* control = dialog->findChild<T*>(QString::fromStdString(name))) return *control;
        throw std::runtime_error("no control " + name);
    }
    // Every row's text, tick or choice, label, hint or heading by name: as in the view or as shown.
    std::map<std::string, std::string> Rows(bool shown) const {
        std::map<std::string, std::string> rows;
        const auto put = [&](const std::string& name, const std::string& text, const char* shows = "text") {
            rows[name] = shown ? Find(name).property(shows).toString().toStdString() : text;
        };
        VisitRows(dialog->Screen().view, [&](std::string_view view, const auto& part) {
            const std::string name(view);
            if constexpr (requires { part.text; }) put(name, part.text); // a heading
            if constexpr (requires { part.label; }) put(name + "Label", part.label.text);
            if constexpr (requires { part.hint; }) put(name + "Hint", part.hint.text);
            if constexpr (requires { part.field; }) put(name, part.field.text);
            if constexpr (requires { part.list; }) put(name, part.list.text, "currentText");
            if constexpr (requires { part.box; }) put(name, part.box.checked ? "true" : "false", "checked");
        });
        return rows;
    }

    std::vector<std::string> mainCalls;
    QPointer<ConfigDialog> dialog;
};

// What an action did: files viewed, the status, the main window's calls, the screen.
std::string Outcome(const DialogWorld& w) {
    std::string seen;
    for (const std::string& file : w.world.system.viewed)
        seen += file.substr(w.dir.path().string().size()) + "|";
    seen += (w.dialog ? w.Find<QLabel>("status").text().toStdString() : "deleted") + "|";
    for (const std::string& call : w.mainCalls)
        seen += call + "|";
    if (!w.dialog) return seen;
    if (!w.Find<QTimer>("closeCountdown").isActive()) seen += "stopped ";
    return seen + (w.dialog->isVisible() ? "shown" : "hidden");
}

// Both fixed shutdowns on: every field but the lost link delay is live.
TEST(ConfigDialog, EachControlChangesItsOwnPartAndShowsTheView) {
    DialogWorld w(IniFile().Set("Proc2", "rsync").Set("Del_On", 2).Set("Stop_On", 2).Set("RunOnTop", 2));
    w.Open();
    EXPECT_TRUE(w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint)); // as the setting says
    QLineEdit& off = w.Find<QLineEdit>("lostLinkDelay");
    const QImage inside = off.grab().toImage(); // away from the text and the frame
    EXPECT_EQ(inside.pixelColor(inside.width() - 6, inside.height() / 2),
              QApplication::palette().color(QPalette::Button));
    EXPECT_TRUE(!off.isEnabled() && off.isReadOnly());
    EXPECT_EQ(w.Rows(true), w.Rows(false));
    for (QWidget* control : w.dialog->findChildren<QWidget*>()) {
        const std::string name = control->objectName().toStdString();
        auto expected = w.Rows(false);
        if (auto* field = qobject_cast<QLineEdit*>(control); field && field->isEnabled()) {
            expected[name] = "\xC3\xA9z" + expected[name]; // typed text reaches the view as UTF-8
            field->setCursorPosition(0);                   // where it stays while the user types
            QKeyEvent accent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                             QString::fromUtf8("\xC3\xA9"));
            QCoreApplication::sendEvent(field, &accent);
            QTest::keyClick(field, 'z');
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            expected[name] = expected[name] == "true" ? "false" : "true";
            if (name == "activateAtTime") expected["activation"] = ""; // seconds are no time of day
            QTest::mouseClick(box, Qt::LeftButton);
        } else if (auto* list = qobject_cast<QComboBox*>(control)) {
            expected[name] = list->itemText(list->currentIndex() - 1).toStdString();
            QTest::keyClick(list, Qt::Key_Up);
        } else {
            continue;
        }
        for (const auto& [row, text] : w.Rows(false)) // a tick may rename the next field
            if (row.ends_with("Label") || row.ends_with("Hint")) expected[row] = text;
        EXPECT_EQ(w.Rows(false), expected) << name;
        EXPECT_EQ(w.Rows(true), expected) << name;
    }
    // The log level is "None" now, and no longer on top.
    EXPECT_FALSE(w.Find("archive").isEnabled() || w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

// With QZ_PICTURE naming a file, config_screenshot keeps the scene there for the README.
TEST(ConfigDialog, HintsStatusAndCountdownShowTheirLook) {
    DialogWorld w(IniFile().Set("Proc1", "blender").Set("Proc2", "rsync"));
    w.p.set.processDelay = 4; // out of range: marked at load
    w.Open();
    w.p.rt.configCloseCount = 90; // the screen counts its last 90 seconds down at the top
    const QLabel& notice = w.Find<QLabel>("closeNotice");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notice.text().isEmpty(); }, 3000));
    EXPECT_EQ(notice.text() + notice.palette().color(QPalette::WindowText).name() +
                  notice.palette().color(QPalette::Window).name(),
              "The Configuration Screen will close in 90 sec#ff8000#ffffff");
    EXPECT_TRUE(notice.autoFillBackground() && notice.textFormat() == Qt::PlainText); // never markup
    const QString picture = qEnvironmentVariable("QZ_PICTURE");
    EXPECT_TRUE(picture.isEmpty() || w.dialog->grab().save(picture));
    // Saved changes take effect at Exit; the status clears itself 2 seconds after the save.
    QTest::mouseClick(&w.Find("restore"), Qt::LeftButton);
    QTest::mouseClick(&w.Find("save"), Qt::LeftButton);
    const QLabel& status = w.Find<QLabel>("status");
    EXPECT_EQ(status.text(), "Changes Saved - Click Exit To Activate The Changes");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status.text().isEmpty(); }, 5000));
    QTest::mouseClick(&w.Find("exit"), Qt::LeftButton);
    EXPECT_EQ(Outcome(w), "|ResetProgram|EnableMainControls|stopped hidden");
}

TEST(ConfigDialog, ButtonsLeftToRightTheLogoAndClosingReachTheirHandlers) {
    const struct {
        const char *name, *caption, *outcome;
        std::function<void(DialogWorld&)> close = {}; // instead of a click on the control
    } controls[] = {
        {"archive", "&Archive", "deleted|EnableMainControls|alive in the box|"}, // closed in its box
        {"viewLog", "&View Log", "/Log/Quenzel.log||shown"},
        {"restore", "&Restore", "Defaults Restored - Click Save To Keep|shown"},
        {"save", "&Save", "No Changes To Save|shown"},
        {"exit", "&Exit", "|EnableMainControls|stopped hidden"},
        {"logo", nullptr, "|OpenWebPage index.htm|shown"},
        {"title bar", nullptr, "|EnableMainControls|stopped hidden",
         [](DialogWorld& w) { w.dialog->close(); }},
        {"done", nullptr, "|EnableMainControls|stopped hidden", [](DialogWorld& w) { w.dialog->accept(); }},
        // Escape would close the screen past Exit's question about unsaved edits.
        {"Escape", nullptr, "|shown", [](DialogWorld& w) { QTest::keyClick(w.dialog, Qt::Key_Escape); }},
    };
    int left = -1;
    for (const auto& control : controls) {
        DialogWorld w;
        w.Open();
        if (control.caption) { // left to right; Enter in a field presses none of them
            const QPushButton& button = w.Find<QPushButton>(control.name);
            EXPECT_EQ(button.text() + (button.autoDefault() ? " by Enter" : ""), control.caption);
            EXPECT_LT(left, button.x()) << control.name;
            left = button.x();
        }
        if (control.name == "archive"s) // the main window's count runs out while the box is open
            w.host.whileOpen = [&w] {
                w.dialog->close();
                QTest::qWait(0);
                if (w.dialog) w.mainCalls.push_back("alive in the box");
            };
        control.close ? control.close(w) : QTest::mouseClick(&w.Find(control.name), Qt::LeftButton);
        if (control.name == "archive"s) QTest::qWait(0); // deleted once its handlers are done
        EXPECT_EQ(Outcome(w), control.outcome);
    }
}

} // namespace
} // namespace qz::test
