#include "files/directories.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/handle_table.h"
#include "platform/os_dirs.h"
#include "platform/os_files.h"
#include "platform/wildcard.h"
#include "screen/text_output.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace
{

constexpr size_t ENTRY_NAME_WIDTH = 12;
constexpr size_t BASE_WIDTH = 8;
constexpr size_t EXTENSION_MAX = 3;

// Deletes one file; on failure raises 55 (refused) or 53 and returns false.
bool kill_one(const std::string &path)
{
    os_dir_status s = os_file_delete(path);
    if (s == os_dir_status::ok)
        return true;
    error_raise(s == os_dir_status::access_denied ? 55 : 53);
    return false;
}

// KILL with a pattern: every matching file of the directory, in name order.
void kill_matches(const std::string &dir, const std::string &pattern)
{
    std::vector<os_dir_entry> entries;
    if (os_dir_list(dir, pattern, &entries) != os_dir_status::ok) {
        error_raise(53);
        return;
    }
    int deleted = 0;
    for (const os_dir_entry &e : entries) {
        if (e.is_dir)
            continue;
        if (!kill_one(dir + e.name))
            return;
        ++deleted;
    }
    if (deleted == 0)
        error_raise(53);
}

bool is_83_part(const std::string &part, size_t most)
{
    return part.size() <= most && part.find('.') == std::string::npos;
}

// True for '.', '..' and names of up to 8 characters with an optional '.'
// and up to 3 more.
bool is_83_shape(const std::string &name)
{
    if (name == "." || name == "..")
        return true;
    std::string::size_type dot = name.find('.');
    if (dot == std::string::npos)
        return !name.empty() && is_83_part(name, BASE_WIDTH);
    return dot > 0 && dot <= BASE_WIDTH && is_83_part(name.substr(dot + 1), EXTENSION_MAX);
}

void print_text(const std::string &text, bool newline)
{
    string_descriptor view{};
    view.chr = reinterpret_cast<uint8_t *>(const_cast<char *>(text.data()));
    view.len = int32_t(text.size());
    if (!newline)
        print_make_fit(&view);
    print_bytes(view.chr, view.len, newline);
}

std::string upper(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The free-bytes line: STR$ of the count and " Bytes free", on a line of
// its own.
void files_free_line(const std::string &dir)
{
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, os_free_bytes(dir)).ptr;
    if (rt_pos() > 1)
        print_text("", true);
    print_text(" " + std::string(digits, end) + " Bytes free", true);
}

} // namespace

std::string files_entry_text(const std::string &name, bool is_dir)
{
    std::string shown = upper(name);
    if (is_83_shape(name)) {
        std::string::size_type dot = shown.find('.');
        if (dot != std::string::npos)
            shown = shown.substr(0, dot) + std::string(BASE_WIDTH - dot, ' ') + shown.substr(dot);
    }
    if (shown.size() < ENTRY_NAME_WIDTH)
        shown.resize(ENTRY_NAME_WIDTH, ' ');
    return shown + (is_dir ? "<DIR> " : "      ");
}

void rt_kill(const string_descriptor *spec)
{
    if (error_pending)
        return;
    os_path_parts parts = os_path_split(file_name_text(spec));
    if (parts.last.empty() || wildcard_has_wild(parts.dir)) {
        error_raise(53);
        return;
    }
    std::string dir = parts.dir.empty() ? "" : os_path_resolve(parts.dir);
    if (wildcard_has_wild(parts.last)) {
        kill_matches(dir, parts.last);
        return;
    }
    // "abc." names the file "abc", as a pattern would, and only one without
    // an extension. The name goes as the directory lists it: a case-blind
    // FUSE file system (exFAT, FAT) deletes any spelling, but the kernel then
    // keeps its entry of the listed one, and the name cannot be made again
    // for a while.
    const wildcard_name wanted = wildcard_final_dots_dropped(parts.last);
    std::string path = os_path_listed(dir + std::string(wanted.text));
    if ((wanted.no_extension && wanted.text.find('.') != std::string_view::npos) ||
        os_path_kind(path.c_str()) != 0) {
        error_raise(53); // missing, or a directory
        return;
    }
    kill_one(path);
}

void rt_name(const string_descriptor *old_name, const string_descriptor *new_name)
{
    if (error_pending)
        return;
    std::string from = os_path_listed(file_name_text(old_name));
    std::string to = os_path_resolve_parent(file_name_text(new_name));
    switch (from.empty() ? os_dir_status::not_found : os_path_rename(from, to)) {
    case os_dir_status::ok:
        return;
    case os_dir_status::not_found:
    case os_dir_status::path_not_found:
        error_raise(53);
        return;
    case os_dir_status::bad_name:
        error_raise(64);
        return;
    case os_dir_status::exists:
    case os_dir_status::not_empty:
    case os_dir_status::access_denied:
        error_raise(75);
        return;
    case os_dir_status::disk_full:
        error_raise(61);
        return;
    default:
        error_raise(5);
        return;
    }
}

void rt_chdir(const string_descriptor *path)
{
    if (error_pending)
        return;
    if (os_dir_change(file_name_text(path)) != os_dir_status::ok)
        error_raise(76);
}

// MKDIR and RMDIR: the one failure named gives 75, a full disk 61, any other
// 76.
void dir_statement(const string_descriptor *path, os_dir_status (*operation)(const std::string &),
                   os_dir_status failure_75)
{
    if (error_pending)
        return;
    os_dir_status s = operation(file_name_text(path));
    if (s != os_dir_status::ok)
        error_raise(s == failure_75 ? 75 : s == os_dir_status::disk_full ? 61 : 76);
}

void rt_mkdir(const string_descriptor *path)
{
    dir_statement(path, os_dir_make, os_dir_status::exists);
}

void rt_rmdir(const string_descriptor *path)
{
    dir_statement(path, os_dir_remove, os_dir_status::not_empty);
}

void rt_files(const string_descriptor *spec, int32_t given)
{
    if (error_pending)
        return;
    std::string text =
        given ? std::string(reinterpret_cast<const char *>(spec->chr), size_t(spec->len))
              : std::string();
    // An empty spec, or one ending in '\', lists everything there.
    if (text.empty() || text.back() == '\\')
        text += '*';
    file_name_fix(text);
    std::string cwd = os_current_directory();
    if (cwd.empty()) {
        error_raise(5);
        return;
    }
    print_text(upper(cwd), true);
    os_path_parts parts = os_path_split(text);
    std::string dir = parts.dir.empty() ? "" : os_path_resolve(parts.dir);
    std::vector<os_dir_entry> entries;
    if (wildcard_has_wild(parts.dir) ||
        os_dir_list(dir, parts.last, &entries) != os_dir_status::ok || entries.empty()) {
        error_raise(53);
        return;
    }
    for (const os_dir_entry &e : entries)
        print_text(files_entry_text(e.name, e.is_dir), false);
    files_free_line(dir);
}
