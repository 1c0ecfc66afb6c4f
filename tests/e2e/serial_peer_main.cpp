// A BASIC routine that talks to a peer over the serial port COM1 (the device
// COM1_DEVICE names). It greets with PRINT #, reads two numbers with INPUT #
// and a line with LINE INPUT #, answers with their sum and the line, then
// reads bytes on a BINARY port with LOC, INPUT$, EOF and LINE INPUT #. It
// reports each step on standard output for the test to follow.
#include "core/basic.h"
#include "core/number_scan.h"
#include "core/startup.h"
#include "core/string_builtins.h"
#include "core/strings.h"
#include "core/timing.h"
#include "files/file_position.h"
#include "files/open_close.h"
#include "files/sequential_io.h"

#include <cstdio>
#include <string>

namespace
{

constexpr uint32_t INTEGER_TYPE = 16;

void report(const std::string &what, const string_descriptor *s)
{
    std::printf("%s %.*s\n", what.c_str(), s->len, reinterpret_cast<const char *>(s->chr));
    std::fflush(stdout);
}

void report(const std::string &what, long long n)
{
    std::printf("%s %lld\n", what.c_str(), n);
    std::fflush(stdout);
}

void port_open(const char *options, int32_t mode)
{
    rt_open(string_from_cstr(options), mode, 0, 0, 1, 0, 0);
}

void main_module()
{
    static string_descriptor *line = string_new(0, false);
    static string_descriptor *bytes = string_new(0, false);
    long double a = 0, b = 0;
    basic_procedure p;
    p.stmt(10, [&] { port_open("COM1:9600,N,8,1", OPEN_MODE_OUTPUT); });
    p.stmt(20, [&] { rt_print_file(1, string_from_cstr("HELLO"), 0, 0, 1); });
    p.stmt(30, [&] { rt_close(1, 1); });
    p.stmt(40, [&] { port_open("COM1:9600,N,8,1,DS5000", OPEN_MODE_INPUT); });
    p.stmt(50, [&] {
        a = rt_input_file_number(1, INTEGER_TYPE);
        b = rt_input_file_number(1, INTEGER_TYPE);
    });
    p.stmt(60, [&] { rt_line_input_file(1, line); });
    p.stmt(70, [&] { rt_close(1, 1); });
    p.stmt(80, [&] { report("line", line); });
    p.stmt(90, [&] { port_open("COM1:9600,N,8,1", OPEN_MODE_OUTPUT); });
    p.stmt(100, [&] {
        string_descriptor *sum = rt_ltrim_str(rt_str_str_int64(int64_t(a + b)));
        rt_print_file(1, string_concat(sum, string_concat(string_from_cstr(" "), line)), 0, 0, 1);
    });
    p.stmt(110, [&] { rt_close(1, 1); });
    p.stmt(120, [&] { port_open("COM1:9600,N,8,1,DS5000", OPEN_MODE_BINARY); });
    // 130 WHILE LOC(1) < 6: delay: WEND
    while (rt_loc(1) < 6)
        p.stmt(130, [&] { delay_seconds(0.01); });
    p.stmt(140, [&] { report("loc", rt_loc(1)); });
    p.stmt(150, [&] { string_set(bytes, rt_input_str(6, 1, 1)); });
    p.stmt(160, [&] { report("input$", bytes); });
    p.stmt(170, [&] { report("eof", rt_eof(1)); });
    p.stmt(180, [&] { rt_line_input_file(1, line); });
    p.stmt(190, [&] { report("binary line", line); });
    p.stmt(200, [&] { rt_close(1, 1); });
    p.end();
}

} // namespace

int main(int argc, char **argv)
{
    program_unit unit{main_module, true, false, 0, 0};
    return runtime_main(argc, argv, unit);
}
