#include <gtest/gtest.h>

#include <chrono>

#include "platform/Backend.h"
#include "tests/link/Loopback.h"

namespace qz::test {
namespace {

struct BoundSocket {
    BoundSocket() : socket(MakeUdpSocket()) {
        for (int tries = 0; tries < 10 && port == 0; ++tries) {
            int candidate = FreeUdpPort();
            if (socket->Bind(candidate)) port = candidate;
        }
        if (port == 0) throw std::runtime_error("could not bind a test socket");
    }
    std::unique_ptr<UdpSocket> socket;
    int port = 0;
};

std::optional<std::string> ReceiveWithin(UdpSocket& socket,
                                         std::chrono::seconds limit = std::chrono::seconds(5)) {
    if (!WaitReadable(socket.NativeHandle(), limit)) return std::nullopt;
    return socket.Receive();
}

TEST(UdpSocket, TwoSocketsOnLoopbackExchangeDatagramsWhole) {
    BoundSocket a, b;
    const std::string large(8000, 'x');
    struct Row {
        UdpSocket& from;
        BoundSocket& to;
        std::string data;
    } rows[] = {
        {*a.socket, b, "<QZA100>"},
        {*b.socket, a, "<QZC000>"},
        {*a.socket, b, large},
        {*b.socket, a, ""},
        {*a.socket, b, std::string("<Q\0Z>\xff", 6)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.data.substr(0, 10));
        ASSERT_TRUE(row.from.SendTo("127.0.0.1", row.to.port, row.data));
        EXPECT_EQ(ReceiveWithin(*row.to.socket), row.data);
    }
}

TEST(UdpSocket, DatagramsArriveOneByOneInTheirOrder) {
    BoundSocket a, b;
    for (const char* d : {"<QZA100>", "<QZC000>", "<QZT000>"})
        ASSERT_TRUE(a.socket->SendTo("127.0.0.1", b.port, d));
    for (const char* d : {"<QZA100>", "<QZC000>", "<QZT000>"})
        EXPECT_EQ(ReceiveWithin(*b.socket), d);
    EXPECT_EQ(b.socket->Receive(), std::nullopt);
}

TEST(UdpSocket, ReceiveWithNothingWaitingAnswersAtOnce) {
    BoundSocket a;
    EXPECT_EQ(a.socket->Receive(), std::nullopt); // a blocking socket would hang here
}

TEST(UdpSocket, APortInUseFailsToBindAndLeavesTheSocketClosed) {
    BoundSocket a;
    auto b = MakeUdpSocket();
    EXPECT_FALSE(b->Bind(a.port));
    EXPECT_EQ(b->NativeHandle(), -1);
    EXPECT_FALSE(b->SendTo("127.0.0.1", a.port, "<QZA100>"));
    EXPECT_EQ(b->Receive(), std::nullopt);
}

TEST(UdpSocket, CloseFreesThePortAndRebindingMovesTheSocket) {
    BoundSocket a;
    int first = a.port;
    a.socket->Close();
    EXPECT_EQ(a.socket->NativeHandle(), -1);

    auto b = MakeUdpSocket();
    ASSERT_TRUE(b->Bind(first));
    EXPECT_NE(b->NativeHandle(), -1);

    // Binding a bound socket elsewhere releases its old port.
    int second = FreeUdpPort();
    ASSERT_TRUE(b->Bind(second));
    EXPECT_TRUE(a.socket->Bind(first));
}

TEST(UdpSocket, RefusesWhatCannotBeSent) {
    BoundSocket a;
    struct Row {
        const char* address;
        int port;
    } rows[] = {
        {"localhost", a.port}, // names are the resolver's business
        {"127.0.0", a.port},   {"", a.port}, {"127.0.0.1", 0}, {"127.0.0.1", 65536}, {"127.0.0.1", -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.address) + ":" + std::to_string(row.port));
        EXPECT_FALSE(a.socket->SendTo(row.address, row.port, "<QZA100>"));
    }
}

TEST(UdpSocket, RefusesPortsOutOfRange) {
    auto s = MakeUdpSocket();
    for (int port : {0, -5, 65536, 100000}) {
        SCOPED_TRACE(port);
        EXPECT_FALSE(s->Bind(port));
        EXPECT_EQ(s->NativeHandle(), -1);
    }
}

} // namespace
} // namespace qz::test
