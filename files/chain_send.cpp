#include "files/chain_send.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/program_thread.h"
#include "core/strings.h"
#include "core/timing.h"
#include "files/chain_state.h"
#include "files/get_put.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "platform/os_file_move.h"
#include "platform/os_files.h"
#include "platform/os_process.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace
{

constexpr const char *HANDOVER_MARKER = "(unique-tag:=/@*$+-)";
constexpr int32_t HANDOVER_TAG = 512;
constexpr int32_t FIRST_NUMBER = 100, LAST_NUMBER = 999;

std::string upper(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    return s;
}

} // namespace

chain_names chain_names_of(std::string a)
{
    chain_names n;
    size_t dot = a.find('.');
    std::string ext = dot != std::string::npos && dot + 3 < a.size() ? upper(a.substr(dot + 1, 3))
                                                                     : std::string();
    if (ext == "BAS") {
        n.bas_name = a.substr(0, dot + 4);
        n.exe_name = a.substr(0, dot + 1) + "exe" + a.substr(dot + 4);
    } else if (ext == "EXE") {
        n.bas_name = a.substr(0, dot + 1) + "bas";
        n.exe_name = a;
    } else {
        size_t blank = a.find(' ', 1);
        std::string arguments = blank == std::string::npos ? "" : a.substr(blank);
        a = a.substr(0, blank);
        n.exe_name = a + ".exe " + arguments;
        n.bas_name = a + ".bas";
    }
    file_name_fix(n.exe_name);
    file_name_fix(n.bas_name);
    size_t slash = n.bas_name.rfind('/');
    if (slash != std::string::npos) {
        n.target_dir = n.bas_name.substr(0, slash + 1);
        n.bas_name.erase(0, slash + 1);
        n.exe_name.erase(0, slash + 1);
    }
    return n;
}

namespace
{

// The directory as an absolute path with its '/', links resolved where it
// exists.
std::string directory_absolute(const std::string &dir)
{
    std::string resolved = os_path_resolve(dir.empty() ? "." : dir);
    std::vector<char> buffer(PATH_MAX + 1);
    if (realpath(resolved.c_str(), buffer.data()))
        resolved = buffer.data();
    else if (resolved.empty() || resolved[0] != '/')
        resolved = os_current_directory() + "/" + resolved;
    if (resolved.back() != '/')
        resolved += '/';
    return resolved;
}

// The directory a program at path runs in: its real location's.
std::string program_real_dir(const std::string &path)
{
    std::vector<char> buffer(PATH_MAX + 1);
    std::string real = realpath(path.c_str(), buffer.data()) ? buffer.data() : path;
    return directory_absolute(os_path_split(real).dir);
}

// Where the hand-over file is now, and its bare name.
struct handover {
    std::string dir;
    std::string name;
    std::string path() const { return dir + name; }
};

// The first number from TIMER's fraction whose name is free in every
// directory the file may go to; the file is then created exclusively in dir.
// Raises the creation's error (or 75 when every number is taken).
bool handover_create(handover *h, const std::vector<std::string> &other_dirs)
{
    double t = rt_timer(0.001, true);
    int32_t k = int32_t(std::nearbyint((t - std::floor(t)) * 999));
    k = k < FIRST_NUMBER ? FIRST_NUMBER : k;
    for (int32_t i = 0; i <= LAST_NUMBER - FIRST_NUMBER; i++) {
        int32_t number = FIRST_NUMBER + (k - FIRST_NUMBER + i) % (LAST_NUMBER - FIRST_NUMBER + 1);
        h->name = "chain" + std::to_string(number) + ".tmp";
        bool taken = false;
        for (const std::string &d : other_dirs)
            taken = taken || os_path_kind((d + h->name).c_str()) >= 0;
        if (taken)
            continue;
        os_dir_status s = os_file_create_new(h->path());
        if (s == os_dir_status::ok)
            return true;
        if (s != os_dir_status::exists) {
            error_raise(s == os_dir_status::access_denied ? 70 : 75);
            return false;
        }
    }
    error_raise(75);
    return false;
}

void word_put(int32_t f, int32_t v)
{
    uint8_t le[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    file_write_at(f, -1, le, 4);
}

// Tag, directory, screen, end word; false (the error raised) on a failure.
bool handover_write(const handover &h, const std::string &directory)
{
    int32_t f = rt_freefile();
    const std::string path = h.path();
    string_descriptor *name = string_from_buffer(path.data(), int32_t(path.size()));
    rt_open(name, OPEN_MODE_BINARY, 0, 0, f, 0, 0);
    string_free(name);
    if (error_pending)
        return false;
    word_put(f, HANDOVER_TAG);
    word_put(f, int32_t(directory.size()));
    file_write_at(f, -1, directory.data(), int64_t(directory.size()));
    chain_save(f);
    word_put(f, 0);
    rt_close(f, 1);
    return !error_pending;
}

// Starts the program at path with the argument text and the hand-over
// argument, after moving the hand-over file into the program's directory.
bool attempt_start(const std::string &path, const std::string &arguments, handover *h)
{
    if (path.empty())
        return false;
    std::string dir = program_real_dir(path);
    if (dir != h->dir) {
        if (os_file_move(h->path(), dir + h->name) != os_dir_status::ok)
            return false;
        h->dir = dir;
    }
    std::vector<std::string> words = os_command_split(arguments);
    words.insert(words.begin(), path);
    words.push_back(HANDOVER_MARKER + h->name);
    return os_process_spawn(path, words, false) > 0;
}

// Runs the compiler beside this program on the source file and waits for it.
void compiler_run(const std::string &own_dir, const std::string &source)
{
    std::string compiler = os_program_find(own_dir + "vlox.exe");
    if (compiler.empty())
        return;
    int pid = os_process_spawn(compiler, {compiler, "-c", source}, false);
    if (pid > 0)
        os_process_wait(pid);
}

// The three attempts; true once a program has started.
bool attempts_run(const chain_names &n, const std::string &target_dir, const std::string &own_dir,
                  handover *h)
{
    size_t blank = n.exe_name.find(' ');
    std::string program = n.exe_name.substr(0, blank);
    std::string arguments = blank == std::string::npos ? "" : n.exe_name.substr(blank);
    if (attempt_start(os_program_find(target_dir + program), arguments, h))
        return true;
    if (attempt_start(os_program_find(own_dir + program), arguments, h))
        return true;
    compiler_run(own_dir, target_dir + n.bas_name);
    return attempt_start(os_program_find(own_dir + program), arguments, h);
}

} // namespace

void rt_chain(const string_descriptor *file)
{
    if (error_pending)
        return;
    if (file->len <= 0) {
        error_raise(53);
        return;
    }
    chain_names n =
        chain_names_of(std::string(reinterpret_cast<const char *>(file->chr), size_t(file->len)));
    std::string target_dir = directory_absolute(n.target_dir);
    std::string own_dir = directory_absolute(os_program_directory());
    handover h{directory_absolute(""), {}};
    if (!handover_create(&h, {target_dir, own_dir}))
        return;
    std::string directory =
        target_dir.size() > 1 ? target_dir.substr(0, target_dir.size() - 1) : target_dir;
    if (!handover_write(h, directory)) {
        os_file_delete(h.path());
        return;
    }
    if (!attempts_run(n, target_dir, own_dir, &h)) {
        os_file_delete(h.path());
        error_raise(53);
        return;
    }
    // The new program runs on its own; this one ends through the runtime's
    // normal exit path, with exit code 0.
    program_stop_flag = 1;
    program_end_wait();
}
