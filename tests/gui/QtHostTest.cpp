#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "gui/QtHost.h"
#include "tests/support/TempDir.h"

namespace qz {
namespace {

TEST(QtHost, BoxesShowIconButtonsTitleAndLinesAndGiveTheAnswer) {
    using Box = QMessageBox;
    const auto yesNo = Box::Yes | Box::No;
    const auto escape = Box::NoButton; // the box is closed with the Escape key
    const QString longTitle = "Quenzel Configuration File Error";
    QtHost host;
    for (const auto& [icon, buttons, title, press, shownIcon, shownButtons, answer] :
         {std::tuple{MsgIcon::None, MsgButtons::Ok, QString("Quenzel"), Box::Ok, Box::NoIcon,
                     Box::StandardButtons(Box::Ok), Answer::Ok},
          std::tuple{MsgIcon::Critical, MsgButtons::Ok, longTitle, escape, Box::Critical,
                     Box::StandardButtons(Box::Ok), Answer::Ok},
          std::tuple{MsgIcon::Exclamation, MsgButtons::YesNo, longTitle, Box::Yes, Box::Warning, yesNo,
                     Answer::Yes},
          std::tuple{MsgIcon::Exclamation, MsgButtons::YesNo, QString("Quenzel"), escape, Box::Warning, yesNo,
                     Answer::No},
          std::tuple{MsgIcon::Information, MsgButtons::YesNoCancel, longTitle, escape, Box::Information,
                     yesNo | Box::Cancel, Answer::Cancel}}) {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(std::tuple(box->icon(), box->standardButtons()), std::tuple(shownIcon, shownButtons));
            // Lines end in "\n"; a name from a single-byte file shows as its characters.
            EXPECT_EQ(box->windowTitle() + "|" + box->text(),
                      title + QString::fromUtf8("|In Use\ncaf\xc3\xa9.exe"));
            // The whole title shows, in a bold face, beside the title bar's icon and buttons.
            QFont bold = box->font();
            bold.setBold(true);
            const QFontMetrics metrics(bold);
            EXPECT_GE(box->width(), metrics.horizontalAdvance(title) + 4 * metrics.height())
                << title.toStdString();
            press == escape ? QTest::keyClick(box, Qt::Key_Escape)
                            : QTest::mouseClick(box->button(press), Qt::LeftButton);
        });
        EXPECT_EQ(host.ShowMessage(icon, buttons, title.toStdString(), "In Use\r\ncaf\xe9.exe"), answer);
    }
}

TEST(QtHostDeathTest, EndProgramEndsTheProcessAtOnceWithTheStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    test::TempDir dir;
    const std::string trace = (dir.path() / "ran").string(); // by an event already due at the end
    EXPECT_EXIT((QTimer::singleShot(0, [&trace] { std::ofstream(trace) << "ran"; }), QtHost().EndProgram(3)),
                ::testing::ExitedWithCode(3), "");
    EXPECT_FALSE(std::filesystem::exists(trace));
}

} // namespace
} // namespace qz
