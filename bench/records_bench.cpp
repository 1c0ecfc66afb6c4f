// GET, record GET with FIELD, and LOCK/UNLOCK against the plain system calls
// that do the same work: pread of the same bytes, pread plus one copy per
// field, and two fcntl open-file-description lock calls. Locks are enforced,
// so every transfer first asks the system whether another open file holds a
// lock on its bytes (F_OFD_GETLK); the *_lock_checked baselines add that call.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "files/field_strings.h"
#include "files/get_put.h"
#include "files/handle_table.h"
#include "files/lock_unlock.h"
#include "files/open_close.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace
{

constexpr int64_t RECORD = 256;
constexpr int FIELDS = 16;
constexpr int64_t FIELD_WIDTH = RECORD / FIELDS;

// A 64-record file in a fresh directory, opened as #1 in the given mode, and
// a plain descriptor of the same file for the baselines.
struct bench_file {
    explicit bench_file(int32_t mode)
    {
        char pattern[] = "/tmp/records_bench_XXXXXX";
        dir = mkdtemp(pattern);
        path = dir + "/data";
        dos_memory_reset();
        strings_static_init();
        handle_table_reset();
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        std::string bytes(size_t(RECORD * 64), 'r');
        benchmark::DoNotOptimize(pwrite(fd, bytes.data(), bytes.size(), 0));
        rt_open(string_from_cstr(path.c_str()), mode, 0, 0, 1, RECORD, 1);
    }
    ~bench_file()
    {
        handle_table_reset();
        close(fd);
        unlink(path.c_str());
        rmdir(dir.c_str());
    }
    std::string dir, path;
    int fd = -1;
};

void BM_pread_4(benchmark::State &state)
{
    bench_file f(OPEN_MODE_BINARY);
    uint8_t bytes[4];
    for (auto _ : state)
        benchmark::DoNotOptimize(pread(f.fd, bytes, 4, 1000));
}
BENCHMARK(BM_pread_4);

// Whether another open file locks the bytes: the question every transfer asks.
void lock_check(int fd, int64_t first, int64_t count)
{
    struct flock probe {
    };
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = first;
    probe.l_len = count;
    benchmark::DoNotOptimize(fcntl(fd, F_OFD_GETLK, &probe));
}

void BM_pread_4_lock_checked(benchmark::State &state)
{
    bench_file f(OPEN_MODE_BINARY);
    uint8_t bytes[4];
    for (auto _ : state) {
        lock_check(f.fd, 1000, 4);
        benchmark::DoNotOptimize(pread(f.fd, bytes, 4, 1000));
    }
}
BENCHMARK(BM_pread_4_lock_checked);

void BM_get_4(benchmark::State &state)
{
    bench_file f(OPEN_MODE_BINARY);
    uint8_t bytes[4];
    byte_element e{};
    byte_element_fill(uintptr_t(bytes), 4, &e);
    for (auto _ : state)
        rt_get(1, 1001, &e, 1);
    benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_get_4);

// Record 4 read and cut into its fields by hand, the lock check first when
// checked.
void record_by_hand(benchmark::State &state, bool checked)
{
    bench_file f(OPEN_MODE_RANDOM);
    uint8_t record[RECORD], fields[FIELDS][FIELD_WIDTH];
    for (auto _ : state) {
        if (checked)
            lock_check(f.fd, RECORD * 3, RECORD);
        benchmark::DoNotOptimize(pread(f.fd, record, RECORD, RECORD * 3));
        for (int i = 0; i < FIELDS; ++i)
            std::memcpy(fields[i], record + i * FIELD_WIDTH, FIELD_WIDTH);
        benchmark::ClobberMemory();
    }
}

void BM_pread_record_16_copies(benchmark::State &state)
{
    record_by_hand(state, false);
}
BENCHMARK(BM_pread_record_16_copies);

void BM_pread_record_16_copies_lock_checked(benchmark::State &state)
{
    record_by_hand(state, true);
}
BENCHMARK(BM_pread_record_16_copies_lock_checked);

void BM_get_record_16_fields(benchmark::State &state)
{
    bench_file f(OPEN_MODE_RANDOM);
    rt_field_begin(1);
    for (int i = 0; i < FIELDS; ++i)
        rt_field_add(string_new(0, false), FIELD_WIDTH);
    for (auto _ : state)
        rt_get_record(1, 4, 1);
}
BENCHMARK(BM_get_record_16_fields);

void BM_fcntl_lock_unlock(benchmark::State &state)
{
    bench_file f(OPEN_MODE_RANDOM);
    struct flock lock {
    };
    lock.l_whence = SEEK_SET;
    lock.l_start = RECORD * 2;
    lock.l_len = RECORD;
    for (auto _ : state) {
        lock.l_type = F_WRLCK;
        benchmark::DoNotOptimize(fcntl(f.fd, F_OFD_SETLK, &lock));
        lock.l_type = F_UNLCK;
        benchmark::DoNotOptimize(fcntl(f.fd, F_OFD_SETLK, &lock));
    }
}
BENCHMARK(BM_fcntl_lock_unlock);

void BM_lock_unlock(benchmark::State &state)
{
    bench_file f(OPEN_MODE_RANDOM);
    for (auto _ : state) {
        rt_lock(1, 3, 0, LOCK_START_GIVEN);
        rt_unlock(1, 3, 0, LOCK_START_GIVEN);
    }
    if (error_pending_take() != 0)
        state.SkipWithError("LOCK failed");
}
BENCHMARK(BM_lock_unlock);

} // namespace
