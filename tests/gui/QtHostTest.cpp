#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#include "gui/QtHost.h"
#include "gui/Tray.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title, text;
    QMessageBox::StandardButtons buttons;
};

// Shows the box through the host, looks at it once it is up, and answers it with `answer`.
Answer ShowAndAnswer(QtHost& host, MsgIcon icon, MsgButtons buttons, const std::string& title,
                     const std::string& text, const std::function<void(QMessageBox&)>& answer,
                     SeenBox& seen) {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->icon(), box->windowTitle(), box->text(), box->standardButtons()};
        answer(*box);
    });
    return host.ShowMessage(icon, buttons, title, text);
}

std::function<void(QMessageBox&)> Press(QMessageBox::StandardButton button) {
    return [button](QMessageBox& box) { QTest::mouseClick(box.button(button), Qt::LeftButton); };
}

void PressEscape(QMessageBox& box) {
    QTest::keyClick(&box, Qt::Key_Escape);
}

TEST(QtHost, BoxesShowIconButtonsTitleAndLinesAndGiveTheAnswer) {
    struct Row {
        MsgIcon icon;
        MsgButtons buttons;
        std::function<void(QMessageBox&)> answer;
        QMessageBox::Icon shownIcon;
        QMessageBox::StandardButtons shownButtons;
        Answer expected;
    };
    const auto yesNo = QMessageBox::Yes | QMessageBox::No;
    const auto yesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const Row rows[] = {
        {MsgIcon::None, MsgButtons::Ok, Press(QMessageBox::Ok), QMessageBox::NoIcon, QMessageBox::Ok,
         Answer::Ok},
        {MsgIcon::Critical, MsgButtons::Ok, PressEscape, QMessageBox::Critical, QMessageBox::Ok, Answer::Ok},
        {MsgIcon::Exclamation, MsgButtons::YesNo, Press(QMessageBox::Yes), QMessageBox::Warning, yesNo,
         Answer::Yes},
        {MsgIcon::Exclamation, MsgButtons::YesNo, Press(QMessageBox::No), QMessageBox::Warning, yesNo,
         Answer::No},
        {MsgIcon::Exclamation, MsgButtons::YesNo, PressEscape, QMessageBox::Warning, yesNo, Answer::No},
        {MsgIcon::Information, MsgButtons::YesNoCancel, Press(QMessageBox::No), QMessageBox::Information,
         yesNoCancel, Answer::No},
        {MsgIcon::Information, MsgButtons::YesNoCancel, Press(QMessageBox::Cancel), QMessageBox::Information,
         yesNoCancel, Answer::Cancel},
        {MsgIcon::None, MsgButtons::YesNoCancel, PressEscape, QMessageBox::NoIcon, yesNoCancel,
         Answer::Cancel},
    };
    QtHost host;
    for (const Row& r : rows) {
        SeenBox seen;
        const Answer answer = ShowAndAnswer(
            host, r.icon, r.buttons, "Quenzel Port Error",
            "The RX Port 10000 Is Already In Use\r\nDo You Want To End The Program?", r.answer, seen);
        EXPECT_EQ(answer, r.expected);
        EXPECT_EQ(seen.icon, r.shownIcon);
        EXPECT_EQ(seen.buttons, r.shownButtons);
        EXPECT_EQ(seen.title, "Quenzel Port Error");
        EXPECT_EQ(seen.text, "The RX Port 10000 Is Already In Use\nDo You Want To End The Program?");
    }
}

TEST(QtHost, SingleByteTextIsShownAsItsCharacters) {
    QtHost host;
    SeenBox seen;
    // A process name from a file written by another editor: "café.exe" in single-byte text.
    ShowAndAnswer(host, MsgIcon::None, MsgButtons::Ok, "Quenzel", "caf\xe9.exe", Press(QMessageBox::Ok),
                  seen);
    EXPECT_EQ(seen.text, QString::fromUtf8("caf\xc3\xa9.exe"));
}

TEST(QtHost, RemovedTrayIconStaysAway) {
    QtHost host;
    Tray tray(true);
    host.SetTray(&tray);
    tray.Show("Start", "Quenzel");
    ASSERT_TRUE(tray.Icon().isVisible());
    host.RemoveTrayIcon();
    EXPECT_FALSE(tray.Icon().isVisible());
    tray.Show("Activity", "Quenzel");
    EXPECT_FALSE(tray.Icon().isVisible());
    EXPECT_TRUE(tray.Removed());
}

TEST(QtHostDeathTest, EndProgramEndsTheProcessAtOnceWithTheStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::TempDir dir;
    const std::string trace = (dir.path() / "ran").string();
    for (int status : {0, 1}) {
        EXPECT_EXIT(
            {
                QtHost host;
                Tray tray(true);
                host.SetTray(&tray);
                tray.Show("Start", "Quenzel");
                // An event that is already due must not run after the end.
                QTimer::singleShot(0, [&trace] { std::ofstream(trace) << "ran"; });
                host.EndProgram(status);
            },
            ::testing::ExitedWithCode(status), "");
    }
    EXPECT_FALSE(std::filesystem::exists(trace));
}

} // namespace
} // namespace qz
