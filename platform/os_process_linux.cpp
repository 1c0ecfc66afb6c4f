#include "platform/os_process.h"

#include "platform/os_environment.h"
#include "platform/os_files.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::vector<std::string> os_command_split(const std::string &command)
{
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    bool quoted = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            in_word = true;
        } else if (c == ' ' && !quoted) {
            if (in_word)
                words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word)
        words.push_back(word);
    return words;
}

namespace
{

bool is_executable_file(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The candidate as it exists (letter case resolved), or an empty text when it
// is no startable program; a name ending in ".exe" also tries it without.
std::string program_try(const std::string &path)
{
    std::string resolved = os_path_resolve(path);
    if (is_executable_file(resolved))
        return resolved;
    if (path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".exe") == 0)
        return program_try(path.substr(0, path.size() - 4));
    return {};
}

std::vector<std::string> search_directories()
{
    std::vector<std::string> dirs{os_program_directory(), "."};
    std::optional<std::string> path = os_environment_get("PATH");
    if (!path)
        return dirs;
    const std::string &list = *path;
    size_t i = 0;
    for (;;) {
        size_t j = list.find(':', i);
        std::string dir = list.substr(i, j == std::string::npos ? std::string::npos : j - i);
        dirs.push_back(dir.empty() ? "." : dir);
        if (j == std::string::npos)
            break;
        i = j + 1;
    }
    return dirs;
}

} // namespace

std::string os_program_find(const std::string &name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return program_try(name);
    for (const std::string &dir : search_directories()) {
        std::string found = program_try(dir == "/" ? "/" + name : dir + "/" + name);
        if (!found.empty())
            return found;
    }
    return {};
}

bool os_program_start(const std::string &command)
{
    std::vector<std::string> words = os_command_split(command);
    if (words.empty())
        return false;
    std::string path = os_program_find(words[0]);
    return !path.empty() && os_process_spawn(path, words, false) > 0;
}

namespace
{

// The child's signal state: nothing blocked, the default actions for the
// signals a waiting parent ignores and for a broken pipe.
void spawn_signals_set(posix_spawnattr_t *attr)
{
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(attr, &none);
    posix_spawnattr_setsigdefault(attr, &defaults);
    posix_spawnattr_setflags(attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

// The child's files: its standard streams (on /dev/null when hidden) and
// nothing else.
void spawn_files_set(posix_spawn_file_actions_t *files, bool hidden)
{
    if (hidden) {
        posix_spawn_file_actions_addopen(files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(files, STDOUT_FILENO, STDERR_FILENO);
    }
    posix_spawn_file_actions_addclosefrom_np(files, STDERR_FILENO + 1);
}

} // namespace

int os_process_spawn(const std::string &path, const std::vector<std::string> &words, bool hidden)
{
    std::vector<std::string> copy = words;
    std::vector<char *> argv;
    for (std::string &w : copy)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    spawn_signals_set(&attr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    spawn_files_set(&files, hidden);
    // The child's environment is a copy of the program's table, taken now:
    // ENVIRON on another thread cannot change it under posix_spawn.
    std::vector<std::string> entries = os_environment_entries();
    std::vector<char *> envp;
    for (std::string &e : entries)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid;
    int r = posix_spawn(&pid, path.c_str(), &files, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attr);
    return r == 0 ? int(pid) : -1;
}

int os_process_wait(int pid)
{
    struct sigaction ignore {
    }, old_int{}, old_quit{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &old_int);
    sigaction(SIGQUIT, &ignore, &old_quit);
    int status = 0;
    pid_t r;
    do
        r = waitpid(pid_t(pid), &status, 0);
    while (r < 0 && errno == EINTR);
    sigaction(SIGINT, &old_int, nullptr);
    sigaction(SIGQUIT, &old_quit, nullptr);
    if (r != pid_t(pid))
        return -1;
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

bool os_process_reap(int pid)
{
    int status;
    pid_t r = waitpid(pid_t(pid), &status, WNOHANG);
    return r == pid_t(pid) || (r < 0 && errno == ECHILD);
}

bool os_shell_available()
{
    return is_executable_file("/bin/sh");
}
