#include "files/file_test_support.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/os_handle.h"
#include "files/sequential_io.h"
#include "platform/os_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <unistd.h>

basic_text::basic_text(std::string text) : bytes_(std::move(text))
{
    descriptor_.chr = reinterpret_cast<uint8_t *>(bytes_.data());
    descriptor_.len = int32_t(bytes_.size());
    descriptor_.readonly = 1;
}

string_descriptor *basic_variable(const std::string &text)
{
    string_descriptor *d = string_new(0, false);
    return string_set(d, string_from_buffer(text.data(), int32_t(text.size())));
}

bool file_exists_on_disk(const std::string &path)
{
    return std::filesystem::exists(path);
}

uint32_t open_error(const std::string &name, int32_t mode, int32_t number)
{
    basic_text text(name);
    rt_open(text, mode, 0, 0, number, 0, 0);
    return error_pending_take();
}

std::string line_input(int32_t number)
{
    string_descriptor *dest = basic_variable("unchanged");
    rt_line_input_file(number, dest);
    uint32_t e = error_pending_take();
    return e ? "<error " + std::to_string(e) + ">" : text_of(dest);
}

void file_test::SetUp()
{
    previous_dir_ = std::filesystem::current_path();
    dir_ = test_temp_dir("file_test_");
    std::filesystem::current_path(dir_);
    dos_memory_reset();
    strings_static_init();
    handle_table_reset();
    control_words_reset();
    error_pending_take();
    input_str_key_source_set(nullptr);
}

void file_test::TearDown()
{
    handle_table_reset();
    error_pending_take();
    std::filesystem::current_path(previous_dir_);
    std::filesystem::remove_all(dir_);
}

os_handle_record &open_record(int32_t number)
{
    static os_handle_record blank;
    if (file_number_in_use(number) != 1) {
        ADD_FAILURE() << "#" << number << " is not open";
        blank = os_handle_record{};
        return blank;
    }
    return *os_handle_at(file_number_handle(number));
}

