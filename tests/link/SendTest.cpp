#include <gtest/gtest.h>

#include "tests/link/LinkWorld.h"
#include "tests/support/Fakes.h"
#include "tests/support/TempDir.h"

namespace qz::test {
namespace {

TEST(Send, GoesToTheResolvedPeerAndOnlyASuccessReplacesTheMessage) {
    struct Row {
        const char* name;
        std::string address;
        bool resolvable;
        bool sendFails;
        std::optional<FakeSocket::Sent> sent;
        const char* messageAfter;
        std::vector<std::string> forgotten;
    } rows[] = {
        {"numeric address",
         "127.1.1.1",
         false,
         false,
         FakeSocket::Sent{"127.1.1.1", 10001, "<QZT000>"},
         "<QZA100>",
         {}},
        {"resolved name",
         "slavehost",
         true,
         false,
         FakeSocket::Sent{"127.2.2.2", 10001, "<QZT000>"},
         "<QZA100>",
         {}},
        {"name not resolved yet", "slavehost", false, false, std::nullopt, "<QZT000>", {}},
        {"no address", "", true, false, std::nullopt, "<QZT000>", {}},
        {"send fails to an address", "127.1.1.1", false, true, std::nullopt, "<QZT000>", {"127.1.1.1"}},
        {"send fails to a name", "slavehost", true, true, std::nullopt, "<QZT000>", {"slavehost"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        FakeWorld w(dir.path());
        Program& p = w.program;
        p.set.CMain = 1;
        p.set.IPAdd = row.address;
        p.rt.PeerPort = 10001;
        p.rt.LinkMessage = "<QZT000>";
        if (row.resolvable) w.resolver.answers[row.address] = "127.2.2.2";
        w.socket.sendFails = row.sendFails;

        SendLinkMessage(p);

        ASSERT_EQ(w.socket.sent.size(), row.sent ? 1u : 0u);
        if (row.sent) {
            EXPECT_EQ(w.socket.sent[0].to, row.sent->to);
            EXPECT_EQ(w.socket.sent[0].port, row.sent->port);
            EXPECT_EQ(w.socket.sent[0].data, row.sent->data);
        }
        EXPECT_EQ(p.rt.LinkMessage, row.messageAfter);
        EXPECT_EQ(w.resolver.forgotten, row.forgotten);
    }
}

TEST(Send, APendingMessageGoesOutWhenTheNameIsFound) {
    TempDir dir;
    FakeWorld w(dir.path());
    Program& p = w.program;
    p.set.IPAdd = "slavehost";
    p.rt.PeerPort = 10001;
    p.rt.LinkMessage = "<QZC000>";
    SendLinkMessage(p);
    w.resolver.answers["slavehost"] = "127.2.2.2";
    SendLinkMessage(p);
    SendLinkMessage(p);
    ASSERT_EQ(w.socket.sent.size(), 2u);
    EXPECT_EQ(w.socket.sent[0].data, "<QZC000>");
    EXPECT_EQ(w.socket.sent[1].data, "<QZA100>");
}

} // namespace
} // namespace qz::test
