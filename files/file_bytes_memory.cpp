// The byte services over in-memory byte sources.
#include "files/file_bytes_memory.h"
#include "core/errors.h"
#include "files/file_bytes.h"

#include <string>
#include <vector>

namespace
{

struct memory_file {
    std::string bytes;
    int64_t position = 0;
    int64_t fail_position = -1;
    uint8_t mode = FILE_MODE_INPUT;
    uint8_t may_read = 1;
    uint8_t eof_flag = 0;
};

std::vector<memory_file> memory_files;      // indexed by handle
std::vector<int32_t> memory_number_map{-1}; // file number -> handle, -1 free

memory_file *file_of(int32_t handle)
{
    if (handle < 0 || size_t(handle) >= memory_files.size())
        return nullptr;
    return &memory_files[size_t(handle)];
}

void step_back(int32_t handle)
{
    if (memory_file *f = file_of(handle); f && f->position > 0)
        f->position--;
}

} // namespace

void file_bytes_memory_reset()
{
    memory_files.clear();
    memory_number_map.assign(1, -1);
}

int32_t file_bytes_memory_bind(int32_t file_number, std::string_view bytes, uint8_t mode,
                               uint8_t may_read)
{
    int32_t handle = int32_t(memory_files.size());
    memory_file f;
    f.bytes = bytes;
    f.mode = mode;
    f.may_read = may_read;
    memory_files.push_back(std::move(f));
    if (size_t(file_number) >= memory_number_map.size())
        memory_number_map.resize(size_t(file_number) + 1, -1);
    memory_number_map[size_t(file_number)] = handle;
    return handle;
}

void file_bytes_memory_fail_at(int32_t handle, int64_t position)
{
    if (memory_file *f = file_of(handle))
        f->fail_position = position;
}

int64_t file_bytes_memory_position(int32_t handle)
{
    memory_file *f = file_of(handle);
    return f ? f->position : -1;
}

uint8_t file_bytes_memory_eof_flag(int32_t handle)
{
    memory_file *f = file_of(handle);
    return f ? f->eof_flag : 0;
}

int32_t file_number_in_use(int32_t file_number)
{
    if (file_number < 1)
        return -2;
    if (size_t(file_number) >= memory_number_map.size())
        memory_number_map.resize(size_t(file_number) + 1, -1);
    return memory_number_map[size_t(file_number)] >= 0 ? 1 : 0;
}

int32_t file_number_handle(int32_t file_number)
{
    if (file_number < 1 || size_t(file_number) >= memory_number_map.size())
        return -1;
    return memory_number_map[size_t(file_number)];
}

uint8_t file_handle_mode(int32_t handle)
{
    memory_file *f = file_of(handle);
    return f ? f->mode : 0;
}

uint8_t file_handle_may_read(int32_t handle)
{
    memory_file *f = file_of(handle);
    return f ? f->may_read : 0;
}

int32_t file_read_byte(int32_t handle)
{
    memory_file *f = file_of(handle);
    if (!f) {
        error_raise(258);
        return -2;
    }
    if (f->position == f->fail_position) {
        error_raise(75);
        return -2;
    }
    if (f->position >= int64_t(f->bytes.size()))
        return -1;
    uint8_t b = uint8_t(f->bytes[size_t(f->position)]);
    if (b == 26) {
        f->eof_flag = 1;
        return -1;
    }
    f->position++;
    return b;
}

void file_skip_line_end(int32_t handle, int32_t first)
{
    int32_t b = file_read_byte(handle);
    if (b < 0)
        return;
    if ((first == 10 && b != 13) || (first == 13 && b != 10)) {
        step_back(handle);
        return;
    }
    // The pair is complete; peeking at the next byte sets the end flag when
    // the file ends (or a 26 stands) right after the line end.
    if (file_read_byte(handle) >= 0)
        step_back(handle);
}

void file_skip_separator(int32_t handle, int32_t last)
{
    if (handle < 0)
        return;
    int32_t b = last;
    while (true) {
        if (b == -1 || b == -2 || b == ',')
            return;
        if (b == 10 || b == 13) {
            file_skip_line_end(handle, b);
            return;
        }
        if (b == ' ') {
            b = file_read_byte(handle);
            if (b < 0)
                return;
            if (b != ' ' && b != ',' && b != 10 && b != 13) {
                step_back(handle);
                return;
            }
            continue;
        }
        b = file_read_byte(handle);
    }
}
