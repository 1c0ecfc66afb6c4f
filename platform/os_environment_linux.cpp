#include "platform/os_environment.h"

#include <cstdlib>
#include <strings.h>

extern char **environ;

namespace
{

std::optional<std::string> display_name;

std::string_view entry_name(const char *entry)
{
    std::string_view e(entry);
    return e.substr(0, e.find('='));
}

// The name of the variable that name stands for, as the environment spells
// it: exactly, else the single case-insensitive match; empty when none.
std::string name_resolve(const std::string &name)
{
    if (std::getenv(name.c_str()))
        return name;
    std::string found;
    int matches = 0;
    for (char **e = environ; e && *e; ++e) {
        std::string_view n = entry_name(*e);
        if (n.size() == name.size() && strncasecmp(n.data(), name.data(), n.size()) == 0) {
            found = n;
            ++matches;
        }
    }
    return matches == 1 ? found : std::string();
}

} // namespace

void os_environment_startup()
{
    if (const char *d = std::getenv("DISPLAY"))
        display_name = d;
}

const char *os_display_name()
{
    return display_name ? display_name->c_str() : nullptr;
}

std::optional<std::string> os_environment_get(std::string_view name)
{
    std::string wanted(name);
    if (wanted.empty() || wanted.find_first_of(std::string("=\0", 2)) != std::string::npos)
        return std::nullopt;
    std::string real = name_resolve(wanted);
    if (real.empty())
        return std::nullopt;
    return std::string(std::getenv(real.c_str()));
}

std::optional<std::string> os_environment_entry(int64_t n)
{
    for (char **e = environ; e && *e && n >= 1; ++e)
        if (--n == 0)
            return std::string(*e);
    return std::nullopt;
}

bool os_environment_put(std::string_view text)
{
    std::string_view::size_type eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0 || text.find('\0') != std::string_view::npos)
        return false;
    std::string name(text.substr(0, eq));
    std::string value(text.substr(eq + 1));
    std::string real = name_resolve(name);
    if (value.empty())
        return !real.empty() && unsetenv(real.c_str()) == 0;
    return setenv(real.empty() ? name.c_str() : real.c_str(), value.c_str(), 1) == 0;
}
