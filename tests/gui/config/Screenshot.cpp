// config_screenshot picture.png: the picture of the screen that the README shows, taken by the test
// that checks the scene.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) return 2;
    qputenv("QZ_PICTURE", argv[1]);
    GTEST_FLAG_SET(filter, "ConfigDialog.HintsStatusAndCountdownShowTheirLook");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
