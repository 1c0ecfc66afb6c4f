// What the end-to-end test programs driven through standard input share: a
// line to the test on standard output, a command line from it, and the loop
// that runs each command as one statement.
#pragma once

#include "core/basic.h"
#include "core/program_thread.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <string>
#include <unistd.h>

// One line on standard output, at once.
inline void say(const std::string &text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// A line of standard input when one is there within 20 ms, without its line
// end. The end of the input ends the program. The bytes are read here, not
// through stdio: a stdio read would take every line the test has written so
// far into its own buffer, where poll cannot see them, and a second command
// sent right after the first would wait until a third arrived.
inline bool input_line(std::string &line)
{
    static std::string pending;
    for (;;) {
        const std::string::size_type end = pending.find('\n');
        if (end != std::string::npos) {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            while (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            return false;
        char buf[1024];
        const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            rt_system(); // does not return
        pending.append(buf, size_t(n));
    }
}

// Runs every command line as statement `line_number`, for ever.
template <typename RUN>
[[noreturn]] void commands_serve(basic_procedure &p, uint32_t line_number, RUN run)
{
    for (;;) {
        std::string line;
        p.stmt(line_number, [&] {
            if (input_line(line))
                run(line);
        });
    }
}
