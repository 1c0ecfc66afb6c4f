// 64 KB through a serial port on a pseudo-terminal, against write() on the
// same line. A thread drains the other side as a fast peer would. The port
// is written through the layer's write (the path every file statement's
// bytes take) and through PRINT # of one 64 KB item.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/os_handle.h"
#include "files/sequential_io.h"
#include "platform/os_environment.h"

#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace
{

constexpr size_t BLOCK = 64 * 1024;

// A raw pseudo-terminal pair whose master side a thread reads and discards.
class drained_line
{
  public:
    drained_line()
    {
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master_, &slave_, name, &raw, nullptr) != 0)
            std::abort();
        path_ = name;
        os_environment_put(std::string("COM1_DEVICE=") + name);
        drain_ = std::thread([this] { drain(); });
    }
    ~drained_line()
    {
        stop_ = true;
        drain_.join();
        close(master_);
        close(slave_);
    }
    int slave() const { return slave_; }

  private:
    void drain()
    {
        char sink[16384];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 10) > 0)
                (void)!read(master_, sink, sizeof sink);
        }
    }
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread drain_;
};

void runtime_start()
{
    dos_memory_reset();
    strings_static_init();
    handle_table_reset();
    error_pending_take();
}

// Baseline: blocking write() of the whole block on the line.
void BM_write_64k(benchmark::State &state)
{
    drained_line line;
    std::string block(BLOCK, 'x');
    for (auto _ : state) {
        size_t done = 0;
        while (done < BLOCK) {
            ssize_t put = write(line.slave(), block.data() + done, BLOCK - done);
            if (put > 0)
                done += size_t(put);
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations() * BLOCK));
}
BENCHMARK(BM_write_64k)->UseRealTime();

// The same block through the port's layer write.
void BM_port_write_64k(benchmark::State &state)
{
    drained_line line;
    runtime_start();
    string_descriptor *name = string_from_cstr("COM1:9600,N,8,1");
    int32_t h = os_handle_open(name, OS_ACCESS_READ | OS_ACCESS_WRITE, 0, OS_OPEN_FALL_BACK);
    std::string block(BLOCK, 'x');
    for (auto _ : state)
        if (os_handle_write(h, -1, block.data(), int64_t(BLOCK)) != 0)
            state.SkipWithError("the port refused the write");
    os_handle_close(h);
    state.SetBytesProcessed(int64_t(state.iterations() * BLOCK));
}
BENCHMARK(BM_port_write_64k)->UseRealTime();

// One PRINT # item of 64 KB to a port opened FOR OUTPUT.
void BM_port_print_64k(benchmark::State &state)
{
    drained_line line;
    runtime_start();
    rt_open(string_from_cstr("COM1:9600,N,8,1"), OPEN_MODE_OUTPUT, 0, 0, 1, 0, 0);
    string_descriptor *item = string_new(int32_t(BLOCK), false);
    std::fill(item->chr, item->chr + BLOCK, uint8_t('x'));
    for (auto _ : state)
        rt_print_file(1, item, 0, 0, 0);
    if (error_pending_take() != 0)
        state.SkipWithError("PRINT # failed");
    rt_close(1, 1);
    state.SetBytesProcessed(int64_t(state.iterations() * BLOCK));
}
BENCHMARK(BM_port_print_64k)->UseRealTime();

} // namespace
