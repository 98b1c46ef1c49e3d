#include <QTest>
#include <gtest/gtest.h>

#include "config/screen/ProgramReset.h"
#include "gui/config/MainWindowSide.h"
#include "platform/Backend.h"
#include "tests/gui/GuiWorld.h"
#include "tests/link/Loopback.h"

namespace qz::test {
namespace {

// A slave station on loopback (its main station at 127.1.1.1: the address check refuses any 0): the
// main station's commands arrive through the socket's notifier.
class SlaveOnLoopback : public ::testing::Test {
  protected:
    void SetUp() override {
        rxPort = FreeUdpPort();
        w.Start(Slave(rxPort));
        ASSERT_EQ(w.p.rt.BoundPort, rxPort);
        ASSERT_TRUE(sender->Bind(FreeUdpPort()));
    }

    static IniFile Slave(int rxPort) {
        return IniFile()
            .Set("CMain", 2)
            .Set("IPAdd", "127.1.1.1")
            .Set("Port1", rxPort)
            .Set("Port2", FreeUdpPort());
    }

    // Sends a command as the main station does and waits until the window has handled it.
    bool Command(int port, const char* datagram, const QString& caption) {
        if (!sender->SendTo("127.0.0.1", port, datagram)) return false;
        return QTest::qWaitFor([&] { return w.window->windowTitle() == caption; }, 5000);
    }

    std::unique_ptr<UdpSocket> socket = MakeUdpSocket();
    std::unique_ptr<UdpSocket> sender = MakeUdpSocket();
    GuiWorld w{true, socket.get()};
    int rxPort = 0;
};

TEST_F(SlaveOnLoopback, MainStationsTestArrivesThroughTheEventLoop) {
    EXPECT_EQ(w.window->windowTitle(), "Quenzel Slave");
    EXPECT_TRUE(Command(rxPort, "<QZT000>", "Quenzel Slave - Test Mode"));
    EXPECT_EQ(w.Events().back(), "*Start/Initialise");
}

TEST_F(SlaveOnLoopback, ReloadOntoAnotherPortIsWatchedThere) {
    ASSERT_TRUE(Command(rxPort, "<QZT000>", "Quenzel Slave - Test Mode"));
    const int newPort = FreeUdpPort();
    w.dir.Write("Data/Quenzel.ini", Slave(newPort).Text());
    QuenzelMainSide side(w.window->Logic(), *w.window);
    w.window->Run([&] { ResetProgram(w.p, side); });
    ASSERT_EQ(w.p.rt.BoundPort, newPort);
    EXPECT_EQ(w.window->windowTitle(), "Quenzel Slave");
    EXPECT_TRUE(Command(newPort, "<QZT000>", "Quenzel Slave - Test Mode"));
}

TEST_F(SlaveOnLoopback, GarbledDatagramShowsTheLinkError) {
    ASSERT_TRUE(sender->SendTo("127.0.0.1", rxPort, "<XXT000>"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Label("Counter").text() == "Connection Error"; }, 5000));
    EXPECT_TRUE(w.Label("Counter").font().bold());
}

} // namespace
} // namespace qz::test
