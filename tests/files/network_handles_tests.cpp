#include "files/net_test_support.h"

#include "core/errors.h"
#include "files/file_position.h"
#include "files/network_handles.h"
#include "files/network_open_text.h"
#include "files/open_close.h"
#include "files/stream_records.h"
#include "platform/clock.h"
#include "platform/net.h"

#include <atomic>

#include <climits>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

using namespace std::string_literals;

struct text_case {
    const char *text;
    bool valid;
    int32_t parts;
    int32_t port;
    const char *host;
};

TEST(OpenText, SplitsChecksTheWordAndRoundsThePort)
{
    const text_case cases[] = {
        {"tcp/ip:80:example", true, 3, 80, "example"},
        {"TCP/IP:80.5:h", true, 3, 80, "h"}, // ties to even
        {"TCP/IP:81.5:h", true, 3, 82, "h"},
        {"TCP/IP:x:h", true, 3, 0, "h"},
        {"TCP/IP:4294967376", true, 2, INT32_MAX, ""}, // not port 80
        {"TCP/IP:-4294967216", true, 2, INT32_MIN, ""},
        {"TCP/IP:", true, 2, 0, ""},
        {"TCP/IP:1:2:3:4:5:6:7:8:9", true, 10, 1, "2"},
        {"TCP/IP:1:2:3:4:5:6:7:8:9:10", false, 0, 0, ""},
        {"TCP/IP:1:2:3:4:5:6:7:8:9:10:11:12:13:14:15:16", false, 0, 0, ""},
        {"TCP/IP", false, 0, 0, ""},
        {"TCP/IPX:80", false, 0, 0, ""},
        {"UDP/IP:80", false, 0, 0, ""},
        {"", false, 0, 0, ""},
    };
    for (const text_case &c : cases) {
        open_text t{};
        std::string text = c.text;
        bool ok = open_text_parse(reinterpret_cast<const uint8_t *>(text.data()),
                                  int32_t(text.size()), &t);
        EXPECT_EQ(ok, c.valid) << c.text;
        if (!ok || !c.valid)
            continue;
        EXPECT_EQ(t.parts, c.parts) << c.text;
        EXPECT_EQ(t.port, c.port) << c.text;
        EXPECT_EQ(t.host, c.host) << c.text;
    }
    open_text t{};
    std::string zero = "TCP/IP:1:ab\0cd"s;
    ASSERT_TRUE(
        open_text_parse(reinterpret_cast<const uint8_t *>(zero.data()), int32_t(zero.size()), &t));
    EXPECT_EQ(t.host, "ab");
}

class NetworkHandles : public net_test
{
};

// The opens' errors and refusals: a malformed text is error 5 and makes no
// entry, a port no socket takes gives 0 without an error.
TEST_F(NetworkHandles, MalformedTextsRaiseFiveAndRefusedPortsGiveZero)
{
    struct {
        bool host;
        const char *text;
        uint32_t error;
    } cases[] = {
        {false, "TCP/IP:80", 5},
        {true, "TCP/IP:80:x", 5},
        {true, "TCP/IP:1:2:3:4:5:6:7:8:9:10", 5},
        {false, "TCP/IP:1:h:3:4:5:6:7:8:9:10:11", 5},
        {true, "TCP/IP:70000", 0},
        {true, "TCP/IP:4294967376", 0},
        {true, "TCP/IP:-1", 0},
        {false, "TCP/IP:4294967376:127.0.0.1", 0},
        {true, "TCP/IP:&H7FFFFFFFFFFFFFFFF", 6}, // VAL's overflow: nothing opens
        {false, "TCP/IP:1:no.such.host.invalid", 0},
    };
    for (const auto &c : cases) {
        int32_t h = c.host ? host_open(c.text) : client_open(c.text);
        EXPECT_EQ(h, 0) << c.text;
        EXPECT_EQ(error_pending_take(), c.error) << c.text;
    }
    EXPECT_EQ(host_open("TCP/IP:0"), -2); // no entry was left behind
}

TEST_F(NetworkHandles, HandlesAreReusedAndCloseFreesThePort)
{
    int32_t host = host_open("TCP/IP:0");
    ASSERT_EQ(host, -2);
    std::string address = address_of(host);
    ASSERT_EQ(address.rfind("TCP/IP:", 0), 0u);
    ASSERT_EQ(address.substr(address.rfind(':')), ":127.0.0.1");
    std::string port = address.substr(7, address.rfind(':') - 7);
    EXPECT_EQ(host_open("TCP/IP:" + port), 0); // the port is taken
    EXPECT_EQ(connection_is_connected(host), -1);
    rt_close(host, 1);
    EXPECT_EQ(host_open("TCP/IP:" + port + ".4"), -2); // free again, handle reused
    EXPECT_EQ(address_of(-2), "TCP/IP:" + port + ":127.0.0.1");
    EXPECT_EQ(error_pending_take(), 0u);
}

// Handles that name nothing, and hosts used as streams.
TEST_F(NetworkHandles, BadHandlesRaiseTheirErrors)
{
    int32_t host = host_open("TCP/IP:0");
    int64_t position = 0;
    struct {
        const char *what;
        std::function<void()> statement;
        uint32_t error;
    } cases[] = {
        {"accept of a stream name", [&] { connection_accept(-3); }, 258},
        {"accept of a file number", [&] { connection_accept(1); }, 258},
        {"address of nothing", [&] { address_of(-3); }, 52},
        {"address of a file number", [&] { address_of(1); }, 52},
        {"connected of nothing", [&] { connection_is_connected(-5); }, 52},
        {"GET on a host", [&] { get_bytes(host, 2); }, 52},
        {"GET$ on a host", [&] { get_all(host); }, 52},
        {"PUT on a host", [&] { put_bytes(host, "x"); }, 52},
        {"LOF of a host", [&] { position = rt_lof(host); }, 52},
        {"EOF of nothing", [&] { position = rt_eof(-9); }, 52},
    };
    for (const auto &c : cases) {
        c.statement();
        EXPECT_EQ(error_pending_take(), c.error) << c.what;
    }
    EXPECT_EQ(connection_accept(host), 0); // nobody waits
    rt_close(-7, 1);                       // ignored
    EXPECT_EQ(error_pending_take(), 0u);
}

// Bytes from a plain peer: LOF counts them, GET takes exact counts and leaves
// the variable alone on a short read, GET of a string takes the rest.
TEST_F(NetworkHandles, AcceptedStreamMovesBytesBothWays)
{
    int32_t host = host_open("TCP/IP:0");
    std::string address = address_of(host);
    int32_t local = 0;
    int peer = raw_connect(std::stoi(address.substr(7)), &local);
    ASSERT_GE(peer, 0);
    int32_t h = accept_wait(host);
    ASSERT_EQ(h, -3);
    EXPECT_EQ(address_of(h), "TCP/IP:" + std::to_string(local) + ":127.0.0.1");
    ASSERT_TRUE(raw_send_all(peer, "a\0bcdef"s));
    int64_t waiting = 0;
    for (int i = 0; i < 500 && (waiting = rt_lof(h)) < 7; ++i)
        usleep(2000);
    EXPECT_EQ(waiting, 7);
    EXPECT_EQ(get_bytes(h, 3), "a\0b"s);
    EXPECT_EQ(rt_eof(h), 0);
    EXPECT_EQ(get_bytes(h, 5), "*****"); // only 4 wait: nothing taken
    EXPECT_EQ(rt_eof(h), -1);
    EXPECT_EQ(rt_lof(h), 4);
    EXPECT_EQ(get_all(h), "cdef");
    EXPECT_EQ(rt_eof(h), 0);
    EXPECT_EQ(get_all(h), "");
    put_bytes(h, "x\0y"s);
    EXPECT_EQ(raw_receive(peer, 3), "x\0y"s);
    EXPECT_EQ(error_pending_take(), 0u);
    close(peer);
}

// A client and a server of this runtime talk, then the server closes: the
// client sees the close, still reads the last bytes, and its PUT is lost
// without an error.
TEST_F(NetworkHandles, ClientAndServerTalkUntilTheServerCloses)
{
    int32_t host = host_open("TCP/IP:0");
    std::string port = address_of(host).substr(7);
    port.resize(port.find(':'));
    int32_t client = client_open("TCP/IP:" + port + ":127.0.0.1");
    int32_t server = accept_wait(host);
    ASSERT_EQ(client, -3);
    ASSERT_EQ(server, -4);
    auto waiting = [](int32_t h, int64_t n) {
        for (int i = 0; i < 1000 && rt_lof(h) < n; ++i)
            usleep(2000);
        return rt_lof(h);
    };
    put_bytes(client, "HELLO");
    ASSERT_EQ(waiting(server, 5), 5);
    EXPECT_EQ(get_all(server), "HELLO");
    put_bytes(server, "WORLD!");
    ASSERT_EQ(waiting(client, 6), 6);
    EXPECT_EQ(get_bytes(client, 3), "WOR");
    EXPECT_EQ(get_bytes(client, 4), "****");
    EXPECT_EQ(rt_eof(client), -1);
    EXPECT_EQ(connection_is_connected(client), -1);

    put_bytes(server, "BYE");
    rt_close(server, 1);
    for (int i = 0; i < 1000 && connection_is_connected(client) != 0; ++i)
        usleep(2000);
    EXPECT_EQ(connection_is_connected(client), 0);
    EXPECT_EQ(rt_lof(client), 6);
    EXPECT_EQ(get_all(client), "LD!BYE");
    EXPECT_EQ(rt_eof(client), 0);
    EXPECT_EQ(address_of(client), "TCP/IP:" + port + ":127.0.0.1");
    put_bytes(client, "late");
    put_bytes(client, "late");
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(connection_is_connected(server), 0);
    EXPECT_EQ(error_pending_take(), 52u);
    rt_close(client, 1);
    EXPECT_EQ(client_open("TCP/IP:" + port + ":localhost"), -3);
    EXPECT_EQ(address_of(-3), "TCP/IP:" + port + ":localhost");
}

TEST_F(NetworkHandles, ClientToAClosedPortGivesZero)
{
    std::string port = std::to_string(raw_listener().port); // listens no more
    EXPECT_EQ(client_open("TCP/IP:" + port + ":127.0.0.1"), 0);
    EXPECT_EQ(error_pending_take(), 0u);
}

std::atomic<int64_t> racing_now{0};

// A listener whose queue is full never answers: the connection is given up
// once 5 seconds have passed (on a clock that races ahead 100 ms a reading).
TEST_F(NetworkHandles, ConnectGivesUpAfterFiveSeconds)
{
    raw_listener full(0);
    int queued = raw_connect(full.port);
    static const clock_seam seam{[] { return racing_now += 100; },
                                 [](uint32_t) { std::this_thread::yield(); }};
    racing_now = 0;
    clock_seam_set(&seam);
    EXPECT_EQ(client_open("TCP/IP:" + std::to_string(full.port) + ":127.0.0.1"), 0);
    int64_t waited = racing_now;
    clock_seam_set(nullptr);
    EXPECT_GE(waited, 5000);
    EXPECT_LE(waited, 5300);
    EXPECT_EQ(error_pending_take(), 0u);
    close(queued);
}

// A peer that floods: the buffer stops at the cap, the rest waits in the
// system, and every byte arrives in order.
TEST_F(NetworkHandles, FloodStaysAtTheCapAndLosesNothing)
{
    constexpr size_t CAP = 1 << 20, TOTAL = 8 << 20, PIECE = 3000;
    stream_receive_cap_set(CAP);
    raw_listener server;
    int32_t h = client_open("TCP/IP:" + std::to_string(server.port) + ":127.0.0.1");
    int peer = server.accept_one();
    std::thread flood([&] { raw_send_all(peer, pattern_bytes(TOTAL)); });
    stream_record *stream = special_handle_stream(h);
    size_t got = 0;
    bool exact = true;
    uint64_t largest = 0;
    for (int idle = 0; got < TOTAL && idle < 5000;) {
        std::string piece = get_bytes(h, PIECE);
        largest = std::max(largest, stream->capacity);
        if (rt_eof(h)) {
            size_t rest = size_t(rt_lof(h));
            if (got + rest == TOTAL && rest > 0)
                piece = get_bytes(h, rest);
            else {
                ++idle;
                usleep(1000);
                continue;
            }
        }
        exact = exact && piece == pattern_bytes(piece.size(), got);
        got += piece.size();
    }
    flood.join();
    close(peer);
    EXPECT_EQ(got, TOTAL);
    EXPECT_TRUE(exact);
    EXPECT_LE(largest, CAP);
}

} // namespace
