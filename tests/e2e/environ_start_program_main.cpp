// A windowed program whose first 200 statements are ENVIRON "RT_START_n=...",
// run while the main thread is still opening the window. It then reads two
// of the variables back, says "ready ok" (or "ready bad") and follows
// commands from standard input: "end" ends it with SYSTEM.
#include "command_program.h"
#include "core/basic.h"
#include "core/startup.h"
#include "core/strings.h"
#include "files/environment.h"

#include <string>

namespace
{

constexpr int VARIABLES = 200;

std::string variable_value(int n)
{
    return std::string(40, char('a' + n % 26)) + std::to_string(n);
}

string_descriptor *text_of(const std::string &text)
{
    return string_from_buffer(text.data(), int32_t(text.size()));
}

std::string environ_value(const std::string &name)
{
    string_descriptor *s = rt_environ_str_name(text_of(name));
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
}

void main_module()
{
    basic_procedure p;
    for (int n = 1; n <= VARIABLES; ++n)
        p.stmt(uint32_t(n), [n] {
            rt_environ(text_of("RT_START_" + std::to_string(n) + "=" + variable_value(n)));
        });
    p.stmt(1000, [] {
        const bool ok = environ_value("RT_START_1") == variable_value(1) &&
                        environ_value("rt_start_200") == variable_value(VARIABLES);
        say(ok ? "ready ok" : "ready bad");
    });
    commands_serve(p, 1010, [](const std::string &line) {
        if (line == "end")
            rt_system();
    });
}

} // namespace

int main(int argc, char **argv)
{
    return runtime_main(argc, argv, program_unit{main_module, false, false, 0, 0});
}
