#include <gtest/gtest.h>

#include <sstream>

#include "console/ConsoleHost.h"
#include "console/EventLoop.h"
#include "console/StatusPrinter.h"

namespace qz::test {
namespace {

struct Streams {
    explicit Streams(bool terminal) : output(out, err, terminal) {}
    std::ostringstream out, err;
    ConsoleOutput output;
};

TEST(ConsoleOutput, ABoxIsItsTitleItsLinesAndAnEmptyLine) {
    const struct {
        const char* title;
        const char* text;
        const char* written;
    } rows[] = {
        {"Quenzel Test", "Test Power Off", "Quenzel Test\nTest Power Off\n\n"},
        {"Quenzel Start Up Error",
         "Quenzel is already running.\r\nOnly one instance can be\r\nrunning at a time.",
         "Quenzel Start Up Error\nQuenzel is already running.\nOnly one instance can be\nrunning at a "
         "time.\n\n"},
        {"T", "a\r\n\r\nb", "T\na\n\nb\n\n"}, // an empty line inside the text stays
        {"T", "last line ends\r\n", "T\nlast line ends\n\n"},
        {"T", "", "T\n\n"},
    };
    for (const auto& row : rows) {
        Streams s(false);
        s.output.Box(row.title, row.text);
        EXPECT_EQ(s.err.str(), row.written) << row.text;
        EXPECT_EQ(s.out.str(), "");
    }
}

TEST(ConsoleOutput, TheCounterIsAPlainLineWhenOutputIsNoTerminal) {
    Streams s(false);
    s.output.Counter("No activity for 10s");
    s.output.Counter("Activity");
    s.output.Line("Quenzel");
    s.output.Finish();
    EXPECT_EQ(s.out.str(), "No activity for 10s\nActivity\nQuenzel\n");
}

TEST(ConsoleOutput, OnATerminalTheCounterRewritesItsLineUntilSomethingElseIsWritten) {
    Streams s(true);
    s.output.Counter("No activity for 10s");
    s.output.Counter("Activity");
    s.output.Counter("No activity for 1s");
    s.output.Line("Quenzel - Test Mode");
    s.output.Counter("Program Activation In 2s");
    s.output.Box("Quenzel Test", "Test Power Off");
    s.output.Counter("x");
    s.output.Finish();
    EXPECT_EQ(s.out.str(), "\rNo activity for 10s"
                           "\rActivity           "
                           "\rNo activity for 1s"
                           "\nQuenzel - Test Mode\n"
                           "\rProgram Activation In 2s\n"
                           "\rx\n");
    EXPECT_EQ(s.err.str(), "Quenzel Test\nTest Power Off\n\n");
}

TEST(ConsoleHost, AnswersWhatNobodyCanBeAsked) {
    const struct {
        MsgButtons buttons;
        Answer answer;
    } rows[] = {{MsgButtons::Ok, Answer::Ok},
                {MsgButtons::YesNo, Answer::Yes},
                {MsgButtons::YesNoCancel, Answer::Cancel}};
    for (const auto& row : rows) {
        Streams s(false);
        ConsoleHost host(s.output);
        EXPECT_EQ(host.ShowMessage(MsgIcon::Exclamation, row.buttons, "Title", "Text"), row.answer);
        EXPECT_EQ(s.err.str(), "Title\nText\n\n");
    }
}

TEST(ConsoleHost, RefreshesTheStatusBeforeABoxAndBeforeTheEnd) {
    Streams s(true);
    ConsoleHost host(s.output);
    host.SetRefresh([&] { s.output.Counter("The Computer Will Power Off In 0s"); });
    host.ShowMessage(MsgIcon::None, MsgButtons::Ok, "Quenzel Simulate Power Off", "Test Real Power Off");
    EXPECT_EQ(s.out.str(), "\rThe Computer Will Power Off In 0s\n");
    EXPECT_EQ(s.err.str(), "Quenzel Simulate Power Off\nTest Real Power Off\n\n");

    for (int status : {0, 1}) {
        s.out.str("");
        try {
            host.EndProgram(status);
            ADD_FAILURE() << "EndProgram returned";
        } catch (const ConsoleExit& end) {
            EXPECT_EQ(end.status, status);
        }
        // The open counter line is ended before the program is.
        EXPECT_EQ(s.out.str(), "\rThe Computer Will Power Off In 0s\n");
    }
}

TEST(StatusPrinter, PrintsEachChangedTextOnceInTheOrderCaptionTitleCounter) {
    Streams s(false);
    StatusPrinter printer(s.output);
    MainView view;
    printer.Show(view); // caption only: the labels are empty
    view.Title.text = "Power Off if there is no activity for 6s";
    view.Counter.text = "Program Activation In 1s";
    printer.Show(view);
    printer.Show(view); // nothing changed
    view.Counter.text = "Activity";
    view.Counter.fore = kDarkGreen; // colours are not printed
    printer.Show(view);
    view.Counter.text = "";
    printer.Show(view);
    view.caption = "Quenzel - Test Mode";
    view.Counter.text = "Activity"; // shown again after it was cleared
    printer.Show(view);
    EXPECT_EQ(s.out.str(), "Quenzel\n"
                           "Power Off if there is no activity for 6s\n"
                           "Program Activation In 1s\n"
                           "Activity\n"
                           "Quenzel - Test Mode\n"
                           "Activity\n");
}

TEST(CommandLine, IsTheArgumentsJoinedWithSingleBlanks) {
    const struct {
        std::vector<const char*> argv;
        const char* line;
    } rows[] = {
        {{"quenzeld"}, ""},
        {{"quenzeld", "-InhibitShutdown"}, "-InhibitShutdown"},
        {{"quenzeld", "-StartShutdown", "-AllowMulti"}, "-StartShutdown -AllowMulti"},
        {{"quenzeld", "two  blanks", ""}, "two  blanks "},
    };
    for (const auto& row : rows)
        EXPECT_EQ(JoinArguments(static_cast<int>(row.argv.size()), row.argv.data()), row.line);
}

TEST(Keys, RTAndQGiveResetTestAndExit) {
    const struct {
        char key;
        std::optional<Command> command;
    } rows[] = {{'r', Command::Reset},  {'R', Command::Reset}, {'t', Command::Test}, {'T', Command::Test},
                {'q', Command::Exit},   {'Q', Command::Exit},  {'x', std::nullopt},  {'\n', std::nullopt},
                {'\x03', std::nullopt}, {' ', std::nullopt}};
    for (const auto& row : rows)
        EXPECT_EQ(CommandForKey(row.key), row.command) << static_cast<int>(row.key);
}

} // namespace
} // namespace qz::test
