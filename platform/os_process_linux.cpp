#include "platform/os_process.h"

#include "platform/os_files.h"

#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

extern char **environ;

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
    const char *path = std::getenv("PATH");
    if (!path)
        return dirs;
    std::string list = path;
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
    if (path.empty())
        return false;
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    // The new program starts with no blocked signals and the default action
    // for a broken pipe, whatever this process has set for itself.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, pipe;
    sigemptyset(&none);
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &pipe);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    int r = posix_spawn(&pid, path.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    return r == 0;
}
