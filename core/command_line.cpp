#include "core/command_line.h"

#include <cstring>

string_descriptor *command_line = nullptr;

void command_line_build(int argc, char **argv)
{
    int64_t total = 0;
    for (int i = 1; i < argc; ++i)
        total += int64_t(std::strlen(argv[i])) + (i > 1 ? 1 : 0);
    if (command_line)
        string_free(command_line);
    command_line = string_new(int32_t(total), false);
    uint8_t *out = command_line->chr;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            *out++ = ' ';
        size_t n = std::strlen(argv[i]);
        std::memcpy(out, argv[i], n);
        out += n;
    }
}

string_descriptor *rt_command_str()
{
    string_descriptor *copy = string_new(command_line ? command_line->len : 0, true);
    if (copy->len > 0)
        std::memcpy(copy->chr, command_line->chr, size_t(copy->len));
    return copy;
}
