// PRINT USING as a program sees it, one case a line from standard input to
// its end: the format, then each item, separated by TAB characters. An item
// is a string in double quotes or a number with a type suffix choosing the
// entry point: % & && (64-bit integer), ~&& (unsigned 64-bit), ! (single),
// # (double), ## (long double). The number text is read with READ's own
// number scanning for that type. Each line runs
//     PRINT USING format; item; item; ...
// on a console page (standard output, no window); a BASIC error prints
// "ERROR n" on its own line and the next line follows.
#include "console_program.h"

#include "core/basic.h"
#include "core/errors.h"
#include "core/number_scan.h"
#include "core/print_using.h"
#include "screen/text_output.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> split_tabs(const std::string &line)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
        parts.push_back(line.substr(from, tab - from));
    parts.push_back(line.substr(from));
    return parts;
}

struct suffix_kind {
    const char *suffix;
    uint32_t type_word; // 0: 64-bit integer reader
    bool is_unsigned;
};

// Longest suffixes first.
constexpr suffix_kind SUFFIXES[] = {
    {"~&&", 0, true},
    {"&&", 0, false},
    {"##", NUMERIC_TYPE_FLOAT | 80, false},
    {"&", 32, false},
    {"%", 16, false},
    {"#", NUMERIC_TYPE_FLOAT | 64, false},
    {"!", NUMERIC_TYPE_FLOAT | 32, false},
};

// One number item: READ of its text, then the entry point of its type.
int32_t number_item(string_descriptor *format, const std::string &item, int32_t at,
                    string_descriptor *dest)
{
    for (const suffix_kind &k : SUFFIXES) {
        const std::string suffix = k.suffix;
        if (item.size() < suffix.size() ||
            item.compare(item.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string text = item.substr(0, item.size() - suffix.size());
        const auto *block = reinterpret_cast<const uint8_t *>(text.data());
        const int32_t length = int32_t(text.size());
        int32_t position = 0;
        if (k.is_unsigned)
            return rt_print_using_uinteger64(format, rt_read_uint64(block, &position, length), at,
                                             dest);
        if (k.type_word == 0)
            return rt_print_using_integer64(format, rt_read_int64(block, &position, length), at,
                                            dest);
        const long double v = rt_read_number(block, &position, length, k.type_word);
        if (!(k.type_word & NUMERIC_TYPE_FLOAT))
            return rt_print_using_integer64(format, int64_t(v), at, dest);
        if ((k.type_word & NUMERIC_TYPE_SIZE_MASK) == 32)
            return rt_print_using_single(format, float(v), at, dest);
        if ((k.type_word & NUMERIC_TYPE_SIZE_MASK) == 64)
            return rt_print_using_double(format, double(v), at, dest);
        return rt_print_using_long_double(format, v, at, dest);
    }
    error_raise(13);
    return 0;
}

// PRINT USING parts[0]; parts[1]; ...
void print_using_line(const std::vector<std::string> &parts)
{
    string_descriptor *format = string_from_buffer(parts[0].data(), int32_t(parts[0].size()));
    string_descriptor *dest = string_new(0, false);
    int32_t at = 0;
    for (size_t i = 1; i < parts.size() && !error_pending; i++) {
        const std::string &item = parts[i];
        if (item.size() >= 2 && item.front() == '"' && item.back() == '"') {
            string_descriptor *s = string_from_buffer(item.data() + 1, int32_t(item.size() - 2));
            at = print_using_number(format, at, dest, s);
        } else {
            at = number_item(format, item, at, dest);
        }
    }
    rt_print(dest, PRINT_NEWLINE);
    string_free(dest);
}

void main_module()
{
    basic_procedure p;
    std::string line;
    uint32_t line_number = 1;
    while (std::getline(std::cin, line)) {
        p.stmt(line_number++, [&] {
            print_using_line(split_tabs(line));
            if (const uint32_t n = error_pending_take()) {
                std::printf("ERROR %u\n", n);
                std::fflush(stdout);
            }
        });
    }
}

} // namespace

int main()
{
    console_program_start();
    main_module();
    return 0;
}
