#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "gui/config/ViewWidgets.h"

namespace qz::test {
namespace {

TEST(ViewColours, PlainAndSystemColours) {
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Base, QColor(4, 5, 6));
    palette.setColor(QPalette::ButtonText, QColor(7, 8, 9));
    palette.setColor(QPalette::Text, QColor(10, 11, 12));
    palette.setColor(QPalette::Window, QColor(13, 14, 15));
    const struct {
        Colour colour;
        QColor shown;
    } rows[] = {
        {kOrange, QColor(255, 128, 0)},
        {kDarkGreen, QColor(0, 102, 0)},
        {kWhite, QColor(255, 255, 255)},
        {kBlue, QColor(0, 0, 255)},
        {0x000000, QColor(0, 0, 0)},
        {kButtonFace, QColor(1, 2, 3)},
        {kWindowBackground, QColor(4, 5, 6)},
        {kButtonText, QColor(7, 8, 9)},
        {0x80000008, QColor(10, 11, 12)},
        {0x80000001, QColor(13, 14, 15)}, // a system colour the program never names
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ToQColor(row.colour, palette), row.shown) << std::hex << row.colour;
    }
}

TEST(ViewText, Utf8AndSingleByteTextsAreShownAsTheirCharacters) {
    const QString cafe = QString::fromUtf8("caf\xC3\xA9");
    const struct {
        std::string text;
        QString shown;
    } rows[] = {
        {"", ""},           {"editor", "editor"}, {"caf\xC3\xA9", cafe}, // UTF-8
        {"caf\xE9", cafe},                                               // a single-byte file's text
        {"Log\\", "Log\\"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FromViewText(row.text), row.shown) << row.text;
    EXPECT_EQ(ToViewText(cafe), "caf\xC3\xA9");
}

TEST(ViewWidgets, LabelShowsTextColoursAndWeight) {
    QLabel label;
    Show(label, LabelView{"<b>5 sec</b>", kOrange, kWhite, true});
    EXPECT_EQ(label.text(), "<b>5 sec</b>");
    EXPECT_EQ(label.textFormat(), Qt::PlainText); // never taken for markup
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(255, 128, 0));
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_TRUE(label.autoFillBackground());
    EXPECT_TRUE(label.font().bold());

    Show(label, LabelView{"sec", kDarkGreen});
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 102, 0));
    EXPECT_FALSE(label.autoFillBackground()); // on the dialog's own face
    EXPECT_FALSE(label.font().bold());
}

TEST(ViewWidgets, TextFieldKeepsTheCursorWhenItsTextStands) {
    QLineEdit field;
    TextFieldView view{"60", "tip", false, true, kButtonFace};
    Show(field, view);
    EXPECT_EQ(field.text(), "60");
    EXPECT_EQ(field.toolTip(), "tip");
    EXPECT_FALSE(field.isEnabled());
    EXPECT_TRUE(field.isReadOnly());
    EXPECT_EQ(field.palette().color(QPalette::Disabled, QPalette::Base),
              QApplication::palette().color(QPalette::Button));

    field.setCursorPosition(1);
    Show(field, view);
    EXPECT_EQ(field.cursorPosition(), 1);
    view.text = "600";
    Show(field, view);
    EXPECT_EQ(field.text(), "600");
}

TEST(ViewWidgets, ListShowsItsItemsAndChoice) {
    QComboBox list;
    ListView view{{"Full", "None", "Normal"}, "None", "Log level"};
    Show(list, view);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.itemText(0), "Full");
    EXPECT_EQ(list.itemText(2), "Normal");
    EXPECT_EQ(list.currentIndex(), 1);
    const struct {
        std::string text;
        int index;
    } rows[] = {{"Normal", 2}, {"", -1}, {"normal", -1}, {"Full", 0}};
    for (const auto& row : rows) {
        view.text = row.text;
        Show(list, view);
        EXPECT_EQ(list.currentIndex(), row.index) << row.text;
        EXPECT_EQ(list.count(), 3) << row.text;
    }
}

} // namespace
} // namespace qz::test
