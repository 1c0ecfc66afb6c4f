#include "support/test_support.h"

#include "platform/os_files.h"
#include "screen/image_slots.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

std::string text_of(const string_descriptor *s)
{
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
}

std::string file_read_all(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void file_write_all(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string test_temp_dir(const char *prefix)
{
    const char *tmpdir = std::getenv("TMPDIR");
    const std::string base = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string pattern = base + "/" + prefix + "XXXXXX";
    if (!mkdtemp(pattern.data())) {
        const int error = errno;
        throw std::runtime_error("cannot make a test folder under " + base + ": " +
                                 std::strerror(error));
    }
    return std::filesystem::canonical(pattern).string();
}

uint32_t pixel_of(const image_slot *r, int32_t x, int32_t y)
{
    uint64_t at = uint64_t(y) * r->width + uint32_t(x);
    return r->bytes_per_pixel == 4 ? reinterpret_cast<const uint32_t *>(r->pixels)[at]
                                   : r->pixels[at];
}

std::vector<uint32_t> page_pixels(const image_slot *r)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < r->height; y++)
        for (int32_t x = 0; x < r->width; x++)
            out.push_back(pixel_of(r, x, y));
    return out;
}

folder_locks folder_locks_here(const std::string &dir)
{
    // A regular file, not the folder: an NFS client keeps a folder's locks to
    // itself while every lock of a file goes to the server (and gets ENOLCK
    // where no lock service answers).
    const std::string probe_name = dir + ".locks_probe";
    int fd = open(probe_name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot make " + probe_name + ": " + std::strerror(errno));
    struct flock probe {
    };
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    const bool range_locks = fcntl(fd, F_OFD_GETLK, &probe) == 0 || errno != ENOLCK;
    const bool share_locks = flock(fd, LOCK_SH | LOCK_NB) == 0 || errno != ENOLCK;
    folder_locks here{os_share_locks_kept(fd) && share_locks, range_locks};
    close(fd);
    unlink(probe_name.c_str());
    return here;
}
