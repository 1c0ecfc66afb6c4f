#include "platform/os_environment.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <strings.h>

extern char **environ;

namespace
{

std::optional<std::string> display_name;

std::mutex table_lock;
// The entries, "name=value", in the process environment's order with new
// variables last. Guarded by table_lock.
std::vector<std::string> table;
bool table_taken = false;

// Copies the process environment into the table (lock held).
void table_take()
{
    table.clear();
    for (char **e = environ; e && *e; ++e)
        table.emplace_back(*e);
    table_taken = true;
}

// The table, copied first when it has not been yet (lock held).
std::vector<std::string> &table_get()
{
    if (!table_taken)
        table_take();
    return table;
}

std::string_view entry_name(std::string_view entry)
{
    return entry.substr(0, entry.find('='));
}

// The entry of the variable that name stands for: the first with exactly
// that name, else the single one whose name matches ignoring letter case;
// null when none (lock held).
std::string *entry_find(std::vector<std::string> &entries, std::string_view name)
{
    std::string *folded = nullptr;
    int matches = 0;
    for (std::string &e : entries) {
        std::string_view n = entry_name(e);
        if (n == name)
            return &e;
        if (n.size() == name.size() && strncasecmp(n.data(), name.data(), n.size()) == 0) {
            folded = &e;
            ++matches;
        }
    }
    return matches == 1 ? folded : nullptr;
}

bool name_valid(std::string_view name)
{
    return !name.empty() &&
           name.find_first_of(std::string_view("=\0", 2)) == std::string_view::npos;
}

} // namespace

void os_environment_startup()
{
    std::lock_guard<std::mutex> guard(table_lock);
    table_take();
    if (const char *d = std::getenv("DISPLAY"))
        display_name = d;
    else
        display_name.reset();
}

const char *os_display_name()
{
    return display_name ? display_name->c_str() : nullptr;
}

std::optional<std::string> os_environment_get(std::string_view name)
{
    if (!name_valid(name))
        return std::nullopt;
    std::lock_guard<std::mutex> guard(table_lock);
    const std::string *e = entry_find(table_get(), name);
    if (!e)
        return std::nullopt;
    return e->substr(std::min(e->size(), name.size() + 1));
}

std::optional<std::string> os_environment_entry(int64_t n)
{
    std::lock_guard<std::mutex> guard(table_lock);
    const std::vector<std::string> &entries = table_get();
    if (n < 1 || uint64_t(n) > entries.size())
        return std::nullopt;
    return entries[size_t(n - 1)];
}

std::vector<std::string> os_environment_entries()
{
    std::lock_guard<std::mutex> guard(table_lock);
    return table_get();
}

bool os_environment_put(std::string_view text)
{
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos || !name_valid(text.substr(0, eq)) ||
        text.find('\0') != std::string_view::npos)
        return false;
    const std::string_view name = text.substr(0, eq);
    const std::string_view value = text.substr(eq + 1);
    std::lock_guard<std::mutex> guard(table_lock);
    std::vector<std::string> &entries = table_get();
    std::string *e = entry_find(entries, name);
    if (value.empty()) {
        if (!e)
            return false;
        // Every entry of that name goes, as when the process environment
        // holds one twice.
        const std::string real(entry_name(*e));
        std::erase_if(entries, [&](const std::string &x) { return entry_name(x) == real; });
        return true;
    }
    if (e)
        *e = std::string(entry_name(*e)) + "=" + std::string(value);
    else
        entries.emplace_back(text);
    return true;
}
