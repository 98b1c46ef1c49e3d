#include "tests/config/ConfigTestSupport.h"

#include <gtest/gtest.h>

namespace qz::test {

bool EndsProgram(const std::function<void()>& action) {
    try {
        action();
    } catch (const ProgramEnded&) {
        return true;
    }
    return false;
}

void ExpectCorruptEnd(FakeWorld& world, const std::function<void()>& action, const std::string& title) {
    world.program.rt.TimerEnabled = true;
    ASSERT_TRUE(EndsProgram(action));
    ASSERT_EQ(world.host.messages.size(), 1u);
    const ShownMessage& box = world.host.messages.front();
    EXPECT_EQ(box.icon, MsgIcon::Critical);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_EQ(box.title, title);
    EXPECT_EQ(box.text, kCorruptText);
    EXPECT_EQ(world.host.trayRemovals, 1);
    EXPECT_EQ(world.host.endedWith, 1);
    EXPECT_FALSE(world.program.rt.TimerEnabled);
}

std::string SampleFile() {
    return "# Quenzel Version 1.6\r\n"
           "# Configuration File\r\n"
           "# 05-Dec-26 10:30:00\r\n"
           "\r\n"
           "[Comms]\r\n"
           "CMain=1\r\n"
           "ComDelay=45\r\n"
           "DName=1\r\n"
           "IPAdd=192.168.1.20\r\n"
           "Port1=10001\r\n"
           "Port2=10000\r\n"
           "\r\n"
           "[Run]\r\n"
           "Del_On=2\r\n"
           "DelTime=900\r\n"
           "LogLevel=3\r\n"
           "LogName=Quenzel.log\r\n"
           "LogPath=Log\\\r\n"
           "Proc1=encoder.exe\r\n"
           "Proc2=backup\r\n"
           "Proc3=\r\n"
           "ProcDelay=120\r\n"
           "RunOnTop=1\r\n"
           "StartDelay=10730\r\n"
           "StartMin=2\r\n"
           "StartTime=2\r\n"
           "StopTime=12215\r\n"
           "Stop_On=1\r\n"
           "\r\n"
           "[Shutdown]\r\n"
           "Force=2\r\n"
           "ShutTime=30\r\n"
           "ShutType=3\r\n"
           "UserExit=1\r\n"
           "\r\n"
           "\r\n";
}

Settings SampleSettings() {
    Settings s;
    s.CMain = 1;
    s.ComDelay = 45;
    s.DName = 1;
    s.IPAdd = "192.168.1.20";
    s.Port1 = 10001;
    s.Port2 = 10000;
    s.Del_On = 2;
    s.DelTime = 900;
    s.LogLevel = 3;
    s.LogName = "Quenzel.log";
    s.LogPath = "Log\\";
    s.Proc1 = "encoder.exe";
    s.Proc2 = "backup";
    s.Proc3 = "";
    s.ProcDelay = 120;
    s.RunOnTop = 1;
    s.StartDelay = 730;
    s.StartMin = 2;
    s.StartTime = 2;
    s.StopTime = 2215;
    s.Stop_On = 1;
    s.Force = 2;
    s.ShutTime = 30;
    s.ShutType = 3;
    s.UserExit = 1;
    return s;
}

} // namespace qz::test
