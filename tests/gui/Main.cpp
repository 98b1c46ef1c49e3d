#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef QZ_PICTURES_ONLY // quenzel_screenshots folder: the scenes the README shows, saved as pictures there
    if (argc != 2) return 2;
    qputenv("QZ_PICTURES", argv[1]);
    GTEST_FLAG_SET(filter, "MainWindow.LabelsTrayMenuAndNoticeFollowTheMonitorsState:Boxes.*");
#endif
    // Also when the test list is read before any test runs, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
