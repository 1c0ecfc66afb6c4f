// A small BASIC program for the end-to-end test of the error dialog.
// Statement 10 fails with error 5, statement 20 prints a marker, statement 30
// fails with error 9, statement 40 prints a marker that must not appear when
// the second box is answered "No".
#include "core/basic.h"
#include "core/errors.h"
#include "core/startup.h"

#include <cstdio>

namespace {

void say(const char *line)
{
    std::puts(line);
    std::fflush(stdout);
}

void main_module()
{
    basic_procedure p;
    p.stmt(10, [] {
        say("statement 10");
        error_raise(5);
    });
    p.stmt(20, [] { say("after first error"); });
    p.stmt(30, [] { error_raise(9); });
    p.stmt(40, [] { say("after second error"); });
    p.end();
}

} // namespace

int main(int argc, char **argv)
{
    return runtime_main(argc, argv, program_unit{main_module, true, false, 0, 0});
}
