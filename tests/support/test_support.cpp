#include "support/test_support.h"

#include <fstream>
#include <iterator>

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
