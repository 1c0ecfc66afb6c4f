// 64 MiB over a loopback connection: PUT of one 64 MiB variable on one
// stream handle and GET of whatever LOF reports on the other, against plain
// blocking send() and recv() of the same bytes. The sender runs in a thread
// of its own in both cases.
#include "core/errors.h"
#include "core/strings.h"
#include "files/file_position.h"
#include "files/get_put.h"
#include "files/network_handles.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

constexpr size_t TOTAL = size_t(64) << 20;

// A connected pair of blocking loopback sockets.
void raw_pair(int *a, int *b)
{
    int l = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(l, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(l, 1) != 0 ||
        getsockname(l, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        std::abort();
    *a = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(*a, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0)
        std::abort();
    *b = accept(l, nullptr, nullptr);
    close(l);
}

void BM_raw_send_recv(benchmark::State &state)
{
    int a, b;
    raw_pair(&a, &b);
    std::vector<char> src(TOTAL, 'x'), dest(TOTAL);
    for (auto _ : state) {
        std::thread sender([&] {
            for (size_t done = 0; done < TOTAL;)
                done += size_t(send(a, src.data() + done, TOTAL - done, 0));
        });
        for (size_t done = 0; done < TOTAL;)
            done += size_t(recv(b, dest.data() + done, TOTAL - done, 0));
        sender.join();
    }
    close(a);
    close(b);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TOTAL));
}

int32_t open_text(const std::string &text, bool host)
{
    string_descriptor d{};
    d.chr = reinterpret_cast<uint8_t *>(const_cast<char *>(text.data()));
    d.len = int32_t(text.size());
    return host ? connection_open_host(&d) : connection_open_client(&d);
}

// The port of a host handle's address text ("TCP/IP:port:address").
std::string port_of(int32_t host)
{
    string_descriptor *s = connection_address_str(host);
    std::string text(reinterpret_cast<const char *>(s->chr), size_t(s->len));
    return text.substr(7, text.rfind(':') - 7);
}

void BM_put_get(benchmark::State &state)
{
    strings_static_init();
    network_lists_create();
    error_pending_take();
    int32_t host = open_text("TCP/IP:0", true);
    int32_t client = open_text("TCP/IP:" + port_of(host) + ":127.0.0.1", false);
    int32_t accepted = 0;
    while (accepted == 0)
        accepted = connection_accept(host);
    std::vector<char> src(TOTAL, 'x'), dest(TOTAL);
    for (auto _ : state) {
        std::thread sender([&] {
            byte_element e{uint64_t(uintptr_t(src.data())), int32_t(TOTAL)};
            rt_put(client, 0, &e, 0);
        });
        for (size_t done = 0; done < TOTAL;) {
            int64_t waiting = rt_lof(accepted);
            byte_element e{uint64_t(uintptr_t(dest.data() + done)), int32_t(waiting)};
            rt_get(accepted, 0, &e, 0);
            done += size_t(waiting);
        }
        sender.join();
    }
    special_handles_close_all();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TOTAL));
}

} // namespace

BENCHMARK(BM_raw_send_recv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_put_get)->Unit(benchmark::kMillisecond)->UseRealTime();
