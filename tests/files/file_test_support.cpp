#include "files/file_test_support.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "files/handle_table.h"
#include "files/sequential_io.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

void file_test::SetUp()
{
    previous_dir_ = std::filesystem::current_path();
    char pattern[] = "/tmp/file_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
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
