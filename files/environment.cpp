#include "files/environment.h"

#include "core/errors.h"
#include "core/strings.h"
#include "platform/os_environment.h"

#include <cstring>
#include <string_view>

namespace
{

std::string_view text_view(const string_descriptor *s)
{
    return {reinterpret_cast<const char *>(s->chr), size_t(s->len)};
}

string_descriptor *temp_of(const std::optional<std::string> &text)
{
    if (!text)
        return string_new(0, true);
    string_descriptor *s = string_new(int32_t(text->size()), true);
    std::memcpy(s->chr, text->data(), text->size());
    return s;
}

} // namespace

string_descriptor *rt_environ_str_name(const string_descriptor *name)
{
    return temp_of(os_environment_get(text_view(name)));
}

string_descriptor *rt_environ_str_index(int32_t n)
{
    if (n < 1) {
        error_raise(5);
        return string_new(0, true);
    }
    return temp_of(os_environment_entry(n));
}

void rt_environ(const string_descriptor *text)
{
    os_environment_put(text_view(text));
}
