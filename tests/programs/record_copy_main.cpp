// Copies records through FIELD, LSET and the record forms of GET and PUT, and
// writes prefixed strings with PUT, so that a test can compare the files it
// makes with ones an independent writer made.
//
//   record_copy fields IN OUT LEN WIDTH...   copies every record of IN (record
//       length LEN, fields of the widths given) into OUT field by field and
//       prints each record's fields, one per line, in hexadecimal
//   record_copy strings OUT LENGTH...        PUTs strings of the given lengths
//       (bytes 'a' + i mod 26) into records 1, 2, ... of OUT, with records just
//       long enough for the longest, and reads each back with GET
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/string_builtins.h"
#include "core/strings.h"
#include "files/field_strings.h"
#include "files/file_position.h"
#include "files/get_put.h"
#include "files/open_close.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

// Ends the program when the last statement raised an error.
void check(const char *what)
{
    if (uint32_t e = error_pending_take(); e != 0) {
        std::fprintf(stderr, "%s: error %u\n", what, e);
        std::exit(1);
    }
}

void open_random(const char *name, int32_t number, int64_t len)
{
    rt_open(string_from_cstr(name), OPEN_MODE_RANDOM, 0, 0, number, len, 1);
    check("OPEN");
}

std::vector<string_descriptor *> field_all(int32_t number, const std::vector<int64_t> &widths)
{
    std::vector<string_descriptor *> fields;
    rt_field_begin(number);
    for (int64_t w : widths) {
        fields.push_back(string_new(0, false));
        rt_field_add(fields.back(), w);
    }
    check("FIELD");
    return fields;
}

int copy_fields(char **argv, int argc)
{
    int64_t len = std::atoll(argv[4]);
    std::vector<int64_t> widths;
    for (int i = 5; i < argc; ++i)
        widths.push_back(std::atoll(argv[i]));
    open_random(argv[2], 1, len);
    open_random(argv[3], 2, len);
    std::vector<string_descriptor *> in = field_all(1, widths), out = field_all(2, widths);
    int64_t records = rt_lof(1) / len;
    for (int64_t r = 1; r <= records; ++r) {
        rt_get_record(1, r, 1);
        check("GET");
        for (size_t f = 0; f < in.size(); ++f) {
            for (int32_t i = 0; i < in[f]->len; ++i)
                std::printf("%02x", in[f]->chr[i]);
            std::printf("\n");
            rt_lset(out[f], in[f]);
        }
        rt_put_record(2, r, 1);
        check("PUT");
    }
    rt_close(0, 0);
    return 0;
}

int put_strings(char **argv, int argc)
{
    std::vector<int64_t> lengths;
    for (int i = 3; i < argc; ++i)
        lengths.push_back(std::atoll(argv[i]));
    int64_t longest = *std::max_element(lengths.begin(), lengths.end());
    open_random(argv[2], 1, longest + (longest < 32768 ? 2 : 8));
    string_descriptor *back = string_new(0, false);
    for (size_t r = 0; r < lengths.size(); ++r) {
        std::string text(size_t(lengths[r]), ' ');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = char('a' + i % 26);
        byte_element e{};
        byte_element_fill(uintptr_t(text.data()), int32_t(text.size()), &e);
        rt_put_string(1, int64_t(r + 1), &e, 1);
        rt_get_string(1, int64_t(r + 1), back, 1);
        check("PUT and GET");
        if (std::string(reinterpret_cast<char *>(back->chr), size_t(back->len)) != text) {
            std::fprintf(stderr, "record %zu read back wrong\n", r + 1);
            return 1;
        }
    }
    rt_close(0, 0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    dos_memory_reset();
    strings_static_init();
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "fields" && argc >= 6)
        return copy_fields(argv, argc);
    if (mode == "strings" && argc >= 4)
        return put_strings(argv, argc);
    std::fprintf(stderr, "usage: record_copy fields IN OUT LEN WIDTH... | strings OUT LENGTH...\n");
    return 2;
}
