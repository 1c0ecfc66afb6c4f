#include "support/test_support.h"

#include "screen/image_slots.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

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
