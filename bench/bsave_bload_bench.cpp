// BSAVE and BLOAD of 64 KB against the raw system calls doing the same file
// work (open, write the header and the block, close; open, read, close).
#include "core/dos_memory.h"
#include "core/strings.h"
#include "files/bsave_bload.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace
{

constexpr int32_t BLOCK = 65536;

std::string bench_file()
{
    return "/dev/shm/bsave_bench_" + std::to_string(getpid());
}

void BM_save_load_baseline_raw(benchmark::State &state)
{
    dos_memory_startup();
    const std::string name = bench_file();
    uint8_t header[7] = {0xFD, 0x00, 0x20, 0, 0, 0, 0};
    uint8_t *block = emulated_dos_memory + 0x20000;
    for (auto _ : state) {
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(write(fd, header, 7) + write(fd, block, BLOCK));
        close(fd);
        fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(read(fd, header, 7) + read(fd, block, BLOCK));
        close(fd);
    }
    unlink(name.c_str());
}
BENCHMARK(BM_save_load_baseline_raw);

void BM_save_load_statements(benchmark::State &state)
{
    dos_memory_startup();
    strings_static_init();
    const std::string path = bench_file();
    string_descriptor *name = string_from_cstr(path.c_str());
    rt_def_seg(0x2000, 1);
    for (auto _ : state) {
        rt_bsave(name, 0, BLOCK);
        rt_bload(name, 0, 0);
    }
    unlink(path.c_str());
}
BENCHMARK(BM_save_load_statements);

} // namespace
