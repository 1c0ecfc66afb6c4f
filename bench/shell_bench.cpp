// SHELL of a program that does nothing, against starting /bin/true with
// posix_spawn and waiting for it as the plain baseline.
#include "core/strings.h"
#include "files/shell.h"

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace
{

void BM_shell_true(benchmark::State &state)
{
    char text[] = "true";
    string_descriptor command{};
    command.chr = reinterpret_cast<uint8_t *>(text);
    command.len = 4;
    command.readonly = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(rt_shell_function(&command));
}
BENCHMARK(BM_shell_true)->Unit(benchmark::kMicrosecond);

void BM_posix_spawn_baseline(benchmark::State &state)
{
    char name[] = "true";
    char *argv[] = {name, nullptr};
    for (auto _ : state) {
        pid_t pid;
        posix_spawn(&pid, "/bin/true", nullptr, nullptr, argv, environ);
        int status;
        waitpid(pid, &status, 0);
        benchmark::DoNotOptimize(status);
    }
}
BENCHMARK(BM_posix_spawn_baseline)->Unit(benchmark::kMicrosecond);

} // namespace
