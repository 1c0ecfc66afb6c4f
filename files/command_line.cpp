#include "files/command_line.h"

#include "core/strings.h"

#include <cstring>

namespace
{

std::string command_line;

} // namespace

void command_line_build(int argc, const char *const *argv)
{
    command_line.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            command_line += ' ';
        command_line += argv[i];
    }
}

const std::string &command_line_get()
{
    return command_line;
}

void command_line_set(const std::string &text)
{
    command_line = text;
}

string_descriptor *rt_command_str()
{
    string_descriptor *s = string_new(int32_t(command_line.size()), true);
    if (!command_line.empty())
        std::memcpy(s->chr, command_line.data(), command_line.size());
    return s;
}
