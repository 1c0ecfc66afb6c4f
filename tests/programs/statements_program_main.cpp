// File statements in a row as a program of its own, on a console page (no
// window), each on what the ones before it left (an open file, the current
// folder):
//
//   statements_program STATEMENT...
//
// where a statement is one of
//
//   OPEN FILE        OPEN FILE FOR APPEND AS the next number (#1, #2, ...),
//                    left open to the end
//   KILL FILE        KILL FILE
//   NAME OLD NEW     NAME OLD AS NEW
//   CHDIR DIR        CHDIR DIR
//   RMDIR DIR        RMDIR DIR
//
// It prints the error each statement raised (0 when none), separated by
// blanks, on one line.
#include "console_program.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/directories.h"
#include "files/open_close.h"

#include <cstdio>
#include <cstring>

namespace
{

struct statement {
    const char *word;
    int operands;
};

constexpr statement statements[] = {
    {"OPEN", 1}, {"KILL", 1}, {"NAME", 2}, {"CHDIR", 1}, {"RMDIR", 1},
};

// The statement that word names, or null.
const statement *statement_named(const char *word)
{
    for (const statement &s : statements)
        if (std::strcmp(s.word, word) == 0)
            return &s;
    return nullptr;
}

// Runs one statement on its operands; gives the error it raised.
uint32_t statement_run(const char *word, char **operands, int32_t *next_number)
{
    const string_descriptor *first = string_from_cstr(operands[0]);
    if (std::strcmp(word, "OPEN") == 0)
        rt_open(first, OPEN_MODE_APPEND, 0, 0, (*next_number)++, 0, 0);
    else if (std::strcmp(word, "KILL") == 0)
        rt_kill(first);
    else if (std::strcmp(word, "NAME") == 0)
        rt_name(first, string_from_cstr(operands[1]));
    else if (std::strcmp(word, "CHDIR") == 0)
        rt_chdir(first);
    else
        rt_rmdir(first);
    return error_pending_take();
}

} // namespace

int main(int argc, char **argv)
{
    // Every statement is checked before any runs.
    for (int i = 1; i < argc;) {
        const statement *s = statement_named(argv[i]);
        if (!s || i + s->operands >= argc) {
            std::fprintf(stderr, "usage: statements_program (OPEN F|KILL F|NAME OLD NEW|"
                                 "CHDIR D|RMDIR D)...\n");
            return 2;
        }
        i += 1 + s->operands;
    }
    console_program_start();
    int32_t next_number = 1;
    for (int i = 1; i < argc; i += 1 + statement_named(argv[i])->operands)
        std::printf(i > 1 ? " %u" : "%u", statement_run(argv[i], argv + i + 1, &next_number));
    std::printf("\n");
    return 0;
}
