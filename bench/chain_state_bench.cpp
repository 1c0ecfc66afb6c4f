// chain_save plus chain_restore through a BINARY file against write plus
// read of the same number of bytes with the raw system calls (open, write,
// close; open, read, close), for the eight pages of an 80 x 25 text screen
// and for a 1024 x 768 32-bit screen image. The restore makes the screen
// image anew, as a receiving program starts from the start-up screen.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/chain_state.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "screen/images.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

std::string bench_file()
{
    return "/dev/shm/chain_bench_" + std::to_string(getpid());
}

// The screen of the case: 0 text, 1 the 32-bit image.
void screen_make(int64_t which)
{
    dos_memory_startup();
    strings_static_init();
    handle_table_reset();
    screen_startup();
    if (which == 1)
        rt_screen(image_new(1024, 768, 32, true), 0, 0, 0, 0, SCREEN_MODE_GIVEN);
}

void file_open(string_descriptor *name)
{
    rt_open(name, OPEN_MODE_BINARY, 0, 0, 1, 0, 0);
}

void BM_chain_baseline_raw(benchmark::State &state)
{
    screen_make(state.range(0));
    const std::string path = bench_file();
    string_descriptor *name = string_from_cstr(path.c_str());
    file_open(name);
    chain_save(1);
    rt_close(1, 1);
    struct stat st;
    stat(path.c_str(), &st);
    std::vector<char> bytes(size_t(st.st_size), 'x');
    for (auto _ : state) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(write(fd, bytes.data(), bytes.size()));
        close(fd);
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(read(fd, bytes.data(), bytes.size()));
        close(fd);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * st.st_size);
    unlink(path.c_str());
}
BENCHMARK(BM_chain_baseline_raw)->Arg(0)->Arg(1);

void BM_chain_save_restore(benchmark::State &state)
{
    screen_make(state.range(0));
    const std::string path = bench_file();
    string_descriptor *name = string_from_cstr(path.c_str());
    for (auto _ : state) {
        file_open(name);
        chain_save(1);
        rt_close(1, 1);
        file_open(name);
        chain_restore(1);
        rt_close(1, 1);
        if (error_pending)
            state.SkipWithError("a BASIC error");
        if (state.range(0) == 1) {
            // The screen image the restore replaced stays the program's:
            // free it, as a receiver starts without one.
            state.PauseTiming();
            image_free_all();
            state.ResumeTiming();
        }
    }
    struct stat st;
    stat(path.c_str(), &st);
    state.SetBytesProcessed(int64_t(state.iterations()) * st.st_size);
    unlink(path.c_str());
}
BENCHMARK(BM_chain_save_restore)->Arg(0)->Arg(1);

} // namespace
