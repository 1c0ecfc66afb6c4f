#include "files/chain_receive.h"

#include "core/command_line.h"
#include "core/errors.h"
#include "files/chain_state.h"
#include "files/file_bytes.h"
#include "files/get_put.h"
#include "files/handle_table.h"
#include "files/os_handle.h"
#include "platform/os_dirs.h"

namespace
{

constexpr const char *HANDOVER_TAG = "(unique-tag:=/@*$+-)chain";
constexpr size_t HANDOVER_TAG_LENGTH = 25;
constexpr size_t HANDOVER_SUFFIX_LENGTH = 32; // the tag, three digits, ".tmp"
constexpr size_t HANDOVER_NAME_LENGTH = 12;   // "chain", three digits, ".tmp"
constexpr int32_t HANDOVER_FILE_TAG = 512;
// The directory text with its terminating zero fits a buffer of this size.
constexpr int32_t DIRECTORY_LIMIT = 4095;

// True for "chain" + a number from 100 to 999 + ".tmp".
bool digits_in_range(const std::string &name)
{
    for (size_t i = 5; i < 8; i++)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return name[5] != '0';
}

// The hand-over file opened for reading only, bound to a free number; 0 when
// it cannot be opened (it is never created).
int32_t handover_open(const std::string &name)
{
    string_descriptor *text = string_from_buffer(name.data(), int32_t(name.size()));
    int32_t handle = os_handle_open(text, OS_ACCESS_READ, 0, OS_OPEN_EXISTING);
    string_free(text);
    if (handle < 0)
        return 0;
    int32_t f = rt_freefile();
    if (file_number_in_use(f) != 0) {
        os_handle_close(handle);
        return 0;
    }
    file_number_bind(f, handle);
    os_handle_at(handle)->mode = FILE_MODE_BINARY;
    return f;
}

void handover_close(int32_t f)
{
    os_handle_close(file_number_handle(f));
    file_number_unbind(f);
}

int32_t word_of(const uint8_t *le)
{
    return int32_t(uint32_t(le[0]) | uint32_t(le[1]) << 8 | uint32_t(le[2]) << 16 |
                   uint32_t(le[3]) << 24);
}

// Restores the screen and the directory from the file when it is sound, and
// deletes it then; an unsound file is left as it is.
void handover_take(const std::string &name)
{
    int32_t f = digits_in_range(name) ? handover_open(name) : 0;
    if (!f)
        return;
    std::string directory;
    if (!chain_handover_header_read(f, &directory)) {
        handover_close(f);
        return;
    }
    chain_restore(f);
    handover_close(f);
    os_file_delete(name);
    if (!directory.empty())
        os_dir_change(directory);
}

} // namespace

bool chain_handover_header_read(int32_t f, std::string *directory)
{
    int32_t handle = file_number_handle(f);
    int64_t size = os_handle_size(handle);
    uint8_t words[8];
    if (size < 8 || os_handle_read(handle, -1, words, 8) != 0)
        return false;
    int32_t length = word_of(words + 4);
    if (word_of(words) != HANDOVER_FILE_TAG || length < 0 || length > DIRECTORY_LIMIT ||
        length > size - 8)
        return false;
    directory->resize(size_t(length));
    return os_handle_read(handle, -1, directory->data(), length) == 0;
}

std::string chain_handover_name(const std::string &command)
{
    if (command.size() < HANDOVER_SUFFIX_LENGTH)
        return {};
    size_t suffix = command.size() - HANDOVER_SUFFIX_LENGTH;
    if (command.compare(command.size() - 4, 4, ".tmp") != 0 ||
        command.compare(suffix, HANDOVER_TAG_LENGTH, HANDOVER_TAG) != 0)
        return {};
    return command.substr(command.size() - HANDOVER_NAME_LENGTH);
}

void chain_receive()
{
    if (!command_line)
        return;
    std::string command(reinterpret_cast<const char *>(command_line->chr),
                        size_t(command_line->len));
    std::string name = chain_handover_name(command);
    if (name.empty())
        return;
    if (!error_pending)
        handover_take(name);
    // The suffix is the runtime's, not the program's: COMMAND$ loses it, and
    // the blank before it, in place.
    command_line->len -= int32_t(HANDOVER_SUFFIX_LENGTH);
    if (command_line->len > 0)
        command_line->len -= 1;
}
