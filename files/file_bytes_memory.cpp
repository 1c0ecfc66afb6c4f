#include "files/file_bytes_memory.h"

#include "files/handle_table.h"
#include "files/os_handle.h"
#include "platform/os_files_testing.h"

void file_bytes_memory_reset()
{
    handle_table_reset();
}

int32_t file_bytes_memory_bind(int32_t file_number, std::string_view bytes, uint8_t mode,
                               uint8_t may_read)
{
    if (file_number_in_use(file_number) == 1)
        os_handle_close(file_number_handle(file_number));
    if (file_number_in_use(file_number) != 0)
        return -1;
    os_file *file = nullptr;
    if (os_file_from_bytes(bytes.data(), bytes.size(), &file) != os_file_status::ok)
        return -1;
    int32_t handle = os_handle_new();
    if (handle < 0) {
        os_file_close(file);
        return -1;
    }
    os_handle_record &r = *os_handle_at(handle);
    r.in_use = 1;
    r.may_read = may_read;
    r.mode = mode;
    r.column = 1;
    os_handle_file_set(handle, file);
    file_number_bind(file_number, handle);
    return handle;
}

void file_bytes_memory_fail_at(int32_t handle, int64_t position)
{
    if (os_file *file = os_handle_file(handle))
        os_file_fail_reads_at(file, position);
}

int64_t file_bytes_memory_position(int32_t handle)
{
    return os_handle_tell(handle);
}

uint8_t file_bytes_memory_eof_flag(int32_t handle)
{
    os_handle_record *r = os_handle_at(handle);
    return r ? r->eof_flag : 0;
}
