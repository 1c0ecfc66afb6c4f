#include "files/system_queries.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/strings.h"
#include "files/handle_table.h"
#include "platform/os_files.h"
#include "platform/os_process.h"

#include <cstring>
#include <string>

int32_t file_exists(const string_descriptor *name)
{
    if (error_pending)
        return 0;
    return os_path_kind(file_name_text(name).c_str()) == 0 ? -1 : 0;
}

int32_t dir_exists(const string_descriptor *name)
{
    if (error_pending)
        return 0;
    return os_path_kind(file_name_text(name).c_str()) == 1 ? -1 : 0;
}

void rt_run_file(const string_descriptor *file)
{
    if (error_pending)
        return;
    if (!os_program_start(file_name_text(file))) {
        error_raise(53);
        return;
    }
    // The new program runs on its own; this one ends through the runtime's
    // normal exit path, with exit code 0.
    program_stop_flag = 1;
    program_end_wait();
}

string_descriptor *current_dir_str()
{
    std::string dir = os_current_directory();
    if (dir.empty()) {
        error_raise(51);
        return string_new(0, true);
    }
    string_descriptor *s = string_new(int32_t(dir.size()), true);
    std::memcpy(s->chr, dir.data(), dir.size());
    return s;
}

string_descriptor *os_name_str()
{
    return string_from_cstr("[LINUX][64BIT]");
}
