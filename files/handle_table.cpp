#include "files/handle_table.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/file_errors.h"
#include "files/os_handle.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

std::vector<os_handle_record> os_handle_records;
std::vector<os_file *> os_handles; // parallel to os_handle_records
std::vector<int32_t> free_handle_stack;
int64_t open_serial_counter = 1;

// Entry n is the handle bound to file number n, or -1; entry 0 is unused.
std::vector<int32_t> file_number_map(1, -1);

// Bit n is set while number n is bound: the map's one copy that another
// thread may read, written only by the program thread.
constexpr size_t BOUND_WORDS = FILE_NUMBER_LIMIT / 64 + 1;
std::array<std::atomic<uint64_t>, BOUND_WORDS> bound_numbers{};

void bound_set(int32_t number, bool bound)
{
    const uint64_t bit = uint64_t(1) << (number % 64);
    std::atomic<uint64_t> &word = bound_numbers[size_t(number / 64)];
    if (bound)
        word.fetch_or(bit, std::memory_order_release);
    else
        word.fetch_and(~bit, std::memory_order_release);
}

int32_t os_handle_count()
{
    return int32_t(os_handle_records.size());
}

} // namespace

int32_t os_handle_new()
{
    int32_t handle;
    if (!free_handle_stack.empty()) {
        handle = free_handle_stack.back();
        free_handle_stack.pop_back();
    } else {
        if (os_handle_count() >= OS_HANDLE_LIMIT)
            return -1;
        handle = os_handle_count();
        os_handle_records.emplace_back();
        os_handles.push_back(nullptr);
    }
    os_handle_records[size_t(handle)] = os_handle_record{};
    os_handles[size_t(handle)] = nullptr;
    os_handle_records[size_t(handle)].serial = open_serial_counter++;
    return handle;
}

int32_t os_handle_valid(int32_t handle)
{
    return handle >= 0 && handle < os_handle_count() && os_handle_records[size_t(handle)].in_use;
}

os_handle_record *os_handle_at(int32_t handle)
{
    if (handle < 0 || handle >= os_handle_count())
        return nullptr;
    return &os_handle_records[size_t(handle)];
}

os_file *os_handle_file(int32_t handle)
{
    if (handle < 0 || handle >= os_handle_count())
        return nullptr;
    return os_handles[size_t(handle)];
}

void os_handle_file_set(int32_t handle, os_file *file)
{
    os_handles[size_t(handle)] = file;
}

int32_t os_handle_release(int32_t handle)
{
    if (!os_handle_valid(handle))
        return -2;
    os_handle_record &r = os_handle_records[size_t(handle)];
    r.in_use = 0;
    if (r.file_number > 0 && size_t(r.file_number) < file_number_map.size() &&
        file_number_map[size_t(r.file_number)] == handle) {
        file_number_map[size_t(r.file_number)] = -1;
        bound_set(r.file_number, false);
    }
    free_handle_stack.push_back(handle);
    return 0;
}

int32_t file_number_in_use(int32_t number)
{
    if (number < 1 || number > FILE_NUMBER_LIMIT)
        return -2;
    if (size_t(number) >= file_number_map.size())
        file_number_map.resize(size_t(number) + 1, -1);
    return file_number_map[size_t(number)] >= 0 ? 1 : 0;
}

int32_t file_number_handle(int32_t number)
{
    if (number < 1 || size_t(number) >= file_number_map.size())
        return -1;
    return file_number_map[size_t(number)];
}

uint8_t file_handle_mode(int32_t handle)
{
    return os_handle_valid(handle) ? os_handle_records[size_t(handle)].mode : 0;
}

uint8_t file_handle_may_read(int32_t handle)
{
    return os_handle_valid(handle) ? os_handle_records[size_t(handle)].may_read : 0;
}

int32_t file_number_free_lowest()
{
    for (size_t n = 1; n < file_number_map.size(); ++n)
        if (file_number_map[n] < 0)
            return int32_t(n);
    return int32_t(file_number_map.size());
}

int32_t rt_freefile()
{
    return file_number_free_lowest();
}

void file_number_bind(int32_t number, int32_t handle)
{
    file_number_map[size_t(number)] = handle;
    os_handle_records[size_t(handle)].file_number = number;
    bound_set(number, true);
}

void file_number_unbind(int32_t number)
{
    if (number >= 1 && size_t(number) < file_number_map.size()) {
        file_number_map[size_t(number)] = -1;
        bound_set(number, false);
    }
}

int32_t file_number_highest_get()
{
    return int32_t(file_number_map.size()) - 1;
}

std::vector<int32_t> file_numbers_bound()
{
    std::vector<int32_t> numbers;
    for (size_t w = 0; w < BOUND_WORDS; ++w) {
        uint64_t bits = bound_numbers[w].load(std::memory_order_acquire);
        for (; bits != 0; bits &= bits - 1)
            numbers.push_back(int32_t(w * 64) + __builtin_ctzll(bits));
    }
    return numbers;
}

uint8_t *file_name_fix(string_descriptor *name)
{
    for (int32_t i = 0; i < name->len; ++i)
        if (name->chr[i] == '\\')
            name->chr[i] = '/';
    return name->chr;
}

void file_name_fix(std::string &name)
{
    for (char &c : name)
        if (c == '\\')
            c = '/';
}

std::string file_name_text(const string_descriptor *name)
{
    std::string copy(reinterpret_cast<const char *>(name->chr), size_t(name->len));
    file_name_fix(copy);
    return copy;
}

void handle_table_reset()
{
    for (size_t h = 0; h < os_handle_records.size(); ++h) {
        if (int32_t error = file_close_error(os_handle_result(os_file_close(os_handles[h]))))
            file_close_refusal_report(os_handle_records[h].file_number, error);
        std::free(os_handle_records[h].record_buffer);
        std::free(os_handle_records[h].field_strings);
    }
    os_handle_records.clear();
    os_handles.clear();
    free_handle_stack.clear();
    open_serial_counter = 1;
    file_number_map.assign(1, -1);
    for (std::atomic<uint64_t> &word : bound_numbers)
        word.store(0, std::memory_order_release);
}

void file_close_refusal_report(int32_t number, int32_t error)
{
    std::fprintf(stderr, "CLOSE #%d: %s (error %d)\n", number, error_message(uint32_t(error)),
                 error);
}
