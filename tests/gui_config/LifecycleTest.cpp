#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/gui_config/DialogWorld.h"

namespace qz::test {
namespace {

using Strings = std::vector<std::string>;

void Click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton);
}

TEST(Open, CaptionAndPortsFollowTheMode) {
    const struct {
        const char* name;
        bool slave;
        const char* caption;
        const char* port1;
        const char* port2;
    } rows[] = {
        {"main station", false, "Quenzel Configuration", "TX Port:", "Rx Port:"},
        {"slave", true, "Quenzel Slave Configuration", "Rx Port", "Tx Port"},
    };
    for (const auto& row : rows) {
        DialogWorld w;
        if (row.slave) {
            w.p.set = SlaveSettings();
            w.p.rt.AppTitle = "Quenzel Slave";
        }
        w.OpenDialog();
        EXPECT_EQ(w.dialog->windowTitle(), row.caption) << row.name;
        EXPECT_EQ(w.Find<QLabel>("Port1L").text(), row.port1) << row.name;
        EXPECT_EQ(w.Find<QLabel>("Port2L").text(), row.port2) << row.name;
        EXPECT_EQ(w.Find<QLabel>("GeneralHeading").text(), "General") << row.name;
        EXPECT_EQ(w.Find<QLabel>("RunOnTopL").text(), " Run On Top:") << row.name;
        EXPECT_TRUE(w.p.rt.DialogOpen) << row.name;
        EXPECT_TRUE(w.mainCalls.empty()) << row.name;
    }
}

TEST(Exit, UnsavedEditsTurnExitIntoCancel) {
    DialogWorld w;
    w.OpenDialog();
    QLineEdit& proc2 = w.Find<QLineEdit>("Proc2T");
    proc2.setFocus();
    QTest::keyClicks(&proc2, "rsync");
    QPushButton& exit = w.Find<QPushButton>("ExitConfig");
    EXPECT_EQ(
        exit.toolTip(),
        "Close Quenzel Configuration Screen (The program will be reset if changed values have been saved)");

    Click(exit);
    EXPECT_TRUE(w.dialog->isVisible());
    EXPECT_EQ(exit.text(), "&Cancel");
    EXPECT_EQ(exit.toolTip(), "Close Quenzel Configuration Screen without saving changes");
    EXPECT_EQ(w.Find<QLabel>("Status").text(), "Click Cancel to exit without saving changes");
    EXPECT_TRUE(w.mainCalls.empty());

    Click(exit);
    EXPECT_FALSE(w.dialog->isVisible());
    EXPECT_EQ(w.mainCalls, Strings{"EnableMainControls"}); // no reset: nothing was saved
    EXPECT_EQ(w.ConfigFile(), kMainConfigFile);
    EXPECT_FALSE(w.p.rt.DialogOpen);
}

TEST(Exit, AfterASaveResetsTheProgram) {
    DialogWorld w;
    w.OpenDialog();
    QLineEdit& proc2 = w.Find<QLineEdit>("Proc2T");
    proc2.setFocus();
    QTest::keyClicks(&proc2, "rsync");
    Click(w.Find<QPushButton>("Save"));
    Click(w.Find<QPushButton>("ExitConfig"));
    EXPECT_FALSE(w.dialog->isVisible());
    EXPECT_EQ(w.mainCalls, (Strings{"ResetMonitor", "ShowStatus", "EnableMainControls"}));
    EXPECT_EQ(w.p.set.Proc2, "rsync"); // read back from the saved file
}

TEST(Close, EveryWayOfClosingUnloadsOnce) {
    const struct {
        const char* name;
        std::function<void(QDialog&)> close;
    } rows[] = {
        {"Exit", [](QDialog& d) { Click(*d.findChild<QPushButton*>("ExitConfig")); }},
        {"title bar", [](QDialog& d) { d.close(); }},
        {"reject", [](QDialog& d) { d.reject(); }},
        {"accept", [](QDialog& d) { d.accept(); }},
    };
    for (const auto& row : rows) {
        DialogWorld w;
        w.OpenDialog();
        QSignalSpy finished(w.dialog.get(), &QDialog::finished);
        row.close(*w.dialog);
        EXPECT_FALSE(w.dialog->isVisible()) << row.name;
        EXPECT_FALSE(w.View().open) << row.name;
        EXPECT_EQ(finished.count(), 1) << row.name;
        EXPECT_EQ(w.mainCalls, Strings{"EnableMainControls"}) << row.name;
        EXPECT_FALSE(w.p.rt.DialogOpen) << row.name;
        EXPECT_FALSE(w.Find<QTimer>("Timer1").isActive()) << row.name;
    }
}

TEST(Close, ClosingBeforeItWasShownUnloadsToo) {
    DialogWorld w;
    w.CreateDialog().close();
    EXPECT_FALSE(w.View().open);
    EXPECT_EQ(w.mainCalls, Strings{"EnableMainControls"});
    EXPECT_FALSE(w.p.rt.DialogOpen);
}

TEST(Close, EscapeKeepsTheScreenOpen) {
    DialogWorld w;
    w.OpenDialog();
    QTest::keyClick(w.dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(w.dialog->isVisible());
    EXPECT_TRUE(w.View().open);
    EXPECT_TRUE(w.mainCalls.empty());
}

TEST(Timers, FollowTheScreen) {
    DialogWorld w;
    w.OpenDialog();
    QTimer& timer1 = w.Find<QTimer>("Timer1");
    QTimer& timer2 = w.Find<QTimer>("Timer2");
    EXPECT_TRUE(timer1.isActive()); // the checks at load start the close countdown
    EXPECT_EQ(timer1.interval(), 1000);
    EXPECT_FALSE(timer1.isSingleShot());
    EXPECT_FALSE(timer2.isActive());

    Click(w.Find<QPushButton>("Save"));
    EXPECT_TRUE(timer2.isActive());
    EXPECT_EQ(timer2.interval(), 2000);
    EXPECT_TRUE(timer2.isSingleShot());
    QLabel& status = w.Find<QLabel>("Status");
    EXPECT_EQ(status.text(), "No Changes To Save");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status.text().isEmpty(); }, 5000));
    EXPECT_FALSE(w.dialog->Screen().timer2Enabled);
    EXPECT_FALSE(timer2.isActive());
}

TEST(Timers, CloseCountdownIsShownAtTheTop) {
    DialogWorld w;
    w.p.rt.CmdLineMode = 1; // closes after 4 seconds
    w.OpenDialog();
    QLabel& message = w.Find<QLabel>("TMessage");
    EXPECT_EQ(message.text(), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !message.text().isEmpty(); }, 5000));
    EXPECT_EQ(message.text(), "The Configuration Screen will close in 4 sec");
    EXPECT_EQ(message.palette().color(QPalette::WindowText), QColor(255, 128, 0));
    EXPECT_EQ(message.palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_TRUE(message.autoFillBackground());
    EXPECT_EQ(w.p.rt.ConfigCloseCount, 3);
}

TEST(TopMost, ActivationPlacesTheScreenOnTopWhenTheSettingSaysSo) {
    for (int16_t runOnTop : {int16_t{1}, int16_t{2}}) {
        DialogWorld w;
        w.p.set.RunOnTop = runOnTop;
        w.OpenDialog();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(w.dialog.get(), &activate);
        EXPECT_EQ(w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint), runOnTop == 2) << runOnTop;
        EXPECT_TRUE(w.dialog->isVisible()) << runOnTop;
        EXPECT_EQ(w.Find<QCheckBox>("RunOnTopT").isChecked(), runOnTop == 2) << runOnTop;
    }
}

TEST(TopMost, UntickingRunOnTopKeepsTheScreenShown) {
    DialogWorld w;
    w.OpenDialog();
    QCheckBox& box = w.Find<QCheckBox>("RunOnTopT");
    Click(box);
    EXPECT_TRUE(w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.dialog->isVisible());
    Click(box);
    EXPECT_FALSE(w.dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.dialog->isVisible());
    EXPECT_TRUE(w.View().open);
}

TEST(Logo, ClickOpensTheProductPage) {
    DialogWorld w;
    w.OpenDialog();
    QWidget& logo = w.Find<QWidget>("Logo");
    EXPECT_FALSE(logo.grab().isNull());
    Click(logo);
    EXPECT_EQ(w.mainCalls, Strings{"OpenWebPage index.htm"});
    EXPECT_TRUE(w.dialog->isVisible());
}

} // namespace
} // namespace qz::test
