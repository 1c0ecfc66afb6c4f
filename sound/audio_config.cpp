#include "sound/audio_config.h"

#include "platform/os_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr size_t file_bytes_max = 1 << 20;

bool is_set(const char *value)
{
    return value && *value;
}

std::string file_in(std::string dir, const char *name)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir + name;
}

// A file's text; "" when it does not exist or cannot be opened (the library
// skips those too); nothing when it exists but cannot be taken whole. Opened
// without blocking, so a FIFO named here never stalls the start.
std::optional<std::string> file_text_take(const std::string &path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::string();
    struct stat info;
    std::optional<std::string> text;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && size_t(info.st_size) <= file_bytes_max) {
        text.emplace(size_t(info.st_size), '\0');
        size_t done = 0;
        while (done < text->size()) {
            ssize_t got = read(fd, &(*text)[done], text->size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += size_t(got);
        }
        text->resize(done);
    }
    close(fd);
    return text;
}

// A memory file holding text, or -1.
int memory_file_make(const std::string &text)
{
    int fd = memfd_create("alsoft.conf", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            close(fd);
            return -1;
        }
        done += size_t(put);
    }
    return fd;
}

} // namespace

std::vector<std::string> audio_config_paths(const audio_config_environment &environment,
                                            const std::string &program_dir)
{
    std::vector<std::string> paths = {"/etc/openal/alsoft.conf"};
    std::string dirs =
        is_set(environment.xdg_config_dirs) ? environment.xdg_config_dirs : "/etc/xdg";
    std::vector<std::string> listed;
    for (size_t start = 0; start <= dirs.size();) {
        size_t colon = std::min(dirs.find(':', start), dirs.size());
        if (colon > start)
            listed.push_back(file_in(dirs.substr(start, colon - start), "alsoft.conf"));
        start = colon + 1;
    }
    // The last folder listed is read first, so that earlier ones win.
    paths.insert(paths.end(), listed.rbegin(), listed.rend());
    bool has_home = is_set(environment.home);
    if (has_home)
        paths.push_back(file_in(environment.home, ".alsoftrc"));
    if (is_set(environment.xdg_config_home))
        paths.push_back(file_in(environment.xdg_config_home, "alsoft.conf"));
    else if (has_home)
        paths.push_back(file_in(environment.home, ".config/alsoft.conf"));
    if (!program_dir.empty())
        paths.push_back(file_in(program_dir, "alsoft.conf"));
    if (is_set(environment.alsoft_conf))
        paths.push_back(environment.alsoft_conf);
    return paths;
}

std::string audio_config_text(const std::vector<std::string> &file_texts)
{
    std::string text = "[pulse]\nallow-moves = true\n";
    for (const std::string &file : file_texts) {
        if (file.empty())
            continue;
        text += "[general]\n" + file;
        if (text.back() != '\n')
            text += '\n';
    }
    return text;
}

void audio_config_read_with_moves(void (*config_read)())
{
    const char *conf = std::getenv("ALSOFT_CONF");
    std::optional<std::string> original;
    if (conf)
        original = conf;
    audio_config_environment environment{std::getenv("XDG_CONFIG_DIRS"), std::getenv("HOME"),
                                         std::getenv("XDG_CONFIG_HOME"), conf};
    std::vector<std::string> texts;
    for (const std::string &path : audio_config_paths(environment, os_program_directory())) {
        std::optional<std::string> text = file_text_take(path);
        if (!text) {
            config_read();
            return;
        }
        texts.push_back(std::move(*text));
    }
    int fd = memory_file_make(audio_config_text(texts));
    if (fd < 0) {
        config_read();
        return;
    }
    setenv("ALSOFT_CONF", ("/proc/self/fd/" + std::to_string(fd)).c_str(), 1);
    config_read();
    if (original)
        setenv("ALSOFT_CONF", original->c_str(), 1);
    else
        unsetenv("ALSOFT_CONF");
    close(fd);
}
