#include "files/net_test_support.h"

#include "core/errors.h"
#include "core/timing.h"
#include "files/network_handles.h"
#include "files/public_address.h"
#include "platform/clock.h"
#include "platform/os_environment.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

std::string scan(const std::string &reply)
{
    size_t start = 0, length = 0;
    if (!address_scan(reinterpret_cast<const uint8_t *>(reply.data()), reply.size(), &start,
                      &length))
        return "(none)";
    return reply.substr(start, length);
}

TEST(AddressScan, FindsTheFirstRunWithThreeDotsThatIsFollowed)
{
    const std::pair<const char *, const char *> cases[] = {
        {"HTTP/1.1 200 OK\r\nA: b\r\n\r\n10.1.2.3\r\n", "10.1.2.3"},
        {"10.1.2.3", "(none)"}, // not yet followed by another byte
        {"x1.2.3.y", "1.2.3."}, // a trailing dot still counts
        {"1.2.3.4.5 9.8.7.6 ", "9.8.7.6"},
        {"..1.2.3.4!", "1.2.3.4"},
        {"1..2.3 ", "1..2.3"},
        {"255.255.255.255;", "255.255.255.255"},
        {"", "(none)"},
        {"no digits here.", "(none)"},
    };
    for (const auto &[reply, expected] : cases)
        EXPECT_EQ(scan(reply), expected) << reply;
}

// A server on a plain socket that reads the request and then runs a reply
// function on the connection (in its own thread).
class lookup_server
{
  public:
    explicit lookup_server(std::function<void(int)> reply)
        : thread_([this, reply] {
              int fd = listener_.accept_one();
              while (request_.find("\r\n\r\n") == std::string::npos) {
                  std::string more = raw_receive(fd, 1);
                  if (more.empty())
                      break;
                  request_ += more;
              }
              reply(fd);
              close(fd);
          })
    {
        os_environment_put("RT_PUBLIC_ADDRESS_HOST=127.0.0.1:" + std::to_string(port()));
    }
    ~lookup_server()
    {
        done = true;
        thread_.join();
    }
    int32_t port() const { return listener_.port; }
    std::string request() { return request_; }
    std::atomic<bool> done{false};

  private:
    raw_listener listener_;
    std::string request_;
    std::thread thread_;
};

class PublicAddress : public net_test
{
  protected:
    void hold_until_done(lookup_server *server)
    {
        while (!server->done)
            usleep(1000);
    }
};

TEST_F(PublicAddress, UnsetHostGivesEmptyAtOnce)
{
    EXPECT_EQ(public_address_lookup_text(), "");
    std::string address = address_of(host_open("TCP/IP:0"));
    EXPECT_EQ(address.substr(address.rfind(':')), ":127.0.0.1");
}

TEST_F(PublicAddress, ReplyGivesTheAddressAndTheHostShowsIt)
{
    const char *reply = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n10.1.2.3\r\n";
    lookup_server server([&](int fd) { raw_send_all(fd, reply); });
    int32_t host = host_open("TCP/IP:0");
    std::string address = address_of(host);
    EXPECT_EQ(address.substr(address.rfind(':')), ":10.1.2.3");
    EXPECT_EQ(server.request(), "GET /ip.php HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(host_open("TCP/IP:0"), -3); // the lookup's connection is gone
}

std::atomic<int64_t> fake_now{0};

// A silent server, starting one second before midnight on a clock that each
// sleep moves on: the lookup ends once 5 seconds have passed.
TEST_F(PublicAddress, SilentServerEndsAfterFiveSecondsAcrossMidnight)
{
    lookup_server server([&](int) { hold_until_done(&server); });
    static const clock_seam seam{[] { return fake_now.load(); },
                                 [](uint32_t ms) {
                                     fake_now += ms;
                                     std::this_thread::yield();
                                 }};
    fake_now = 1'000'000;
    clock_seam_set(&seam);
    timer_base_tick = fake_now;
    timer_base_time_ms = 86'399'000; // 23:59:59
    EXPECT_EQ(text_of(public_address_lookup()), "");
    int64_t waited = fake_now - 1'000'000;
    clock_seam_set(nullptr);
    EXPECT_GE(waited, 5000);
    EXPECT_LE(waited, 5200);
    EXPECT_EQ(error_pending_take(), 0u);
}

// Endless bytes with no address: the reply stops at 64 KiB, long before the
// time limit.
TEST_F(PublicAddress, EndlessGarbageEndsEarlyWithAnEmptyResult)
{
    lookup_server server([&](int fd) {
        std::string garbage(4096, 'x');
        while (!server.done && raw_send_all(fd, garbage)) {
        }
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(public_address_lookup_text(), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

} // namespace
