// OPEN FOR INPUT + CLOSE of one existing file, and KILL of a missing one
// beside it, against a plain open() + close() of the same file. The file is
// FILE_OPEN_BENCH_FILE (bench/fuse_open_bench.sh names one on a FUSE
// mount); without it, a scratch file in the temporary folder. With
// FILE_OPEN_BENCH_ITERATIONS each benchmark runs exactly that many times, so
// that what the file system is asked can be counted per statement.
#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/directories.h"
#include "files/handle_table.h"
#include "files/open_close.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace
{

// The file opened: FILE_OPEN_BENCH_FILE, or a scratch file removed at the end.
struct bench_file {
    std::string path;
    bool scratch = false;
    bench_file()
    {
        if (const char *named = std::getenv("FILE_OPEN_BENCH_FILE")) {
            path = named;
            return;
        }
        char pattern[] = "/tmp/file_open_bench_XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0)
            close(fd);
        path = pattern;
        scratch = true;
    }
    ~bench_file()
    {
        if (scratch)
            unlink(path.c_str());
    }
};

const bench_file &file()
{
    static bench_file f;
    return f;
}

// Runs b FILE_OPEN_BENCH_ITERATIONS times when that is set.
void iterations_from_environment(benchmark::internal::Benchmark *b)
{
    if (const char *count = std::getenv("FILE_OPEN_BENCH_ITERATIONS"))
        b->Iterations(std::atoll(count));
}

void runtime_start()
{
    dos_memory_reset();
    strings_static_init();
    handle_table_reset();
    control_words_reset();
}

const string_descriptor *text(const std::string &s)
{
    return string_from_buffer(s.data(), int32_t(s.size()));
}

void BM_RuntimeOpenInputClose(benchmark::State &state)
{
    runtime_start();
    const std::string &path = file().path;
    for (auto _ : state) {
        rt_open(text(path), OPEN_MODE_INPUT, 0, 0, 1, 0, 0);
        rt_close(1, 1);
        if (error_pending_take() != 0) {
            state.SkipWithError("OPEN or CLOSE failed");
            break;
        }
    }
}
BENCHMARK(BM_RuntimeOpenInputClose)->Apply(iterations_from_environment);

void BM_PlainOpenClose(benchmark::State &state)
{
    const std::string &path = file().path;
    for (auto _ : state) {
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("open failed");
            break;
        }
        close(fd);
    }
}
BENCHMARK(BM_PlainOpenClose)->Apply(iterations_from_environment);

// KILL of a name beside the file that no file has.
void BM_RuntimeKillMissing(benchmark::State &state)
{
    runtime_start();
    const std::string missing = file().path + ".missing";
    for (auto _ : state) {
        rt_kill(text(missing));
        if (error_pending_take() != 53) {
            state.SkipWithError("KILL did not give 53");
            break;
        }
    }
}
BENCHMARK(BM_RuntimeKillMissing)->Apply(iterations_from_environment);

} // namespace
