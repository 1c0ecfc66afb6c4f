// Stateful fuzz target for FIELD: the input is a program of OPEN, CLOSE,
// FIELD, LSET, RSET, assignment, free, and record GET and PUT statements over
// two RANDOM files in memory and four string variables, run against a shadow
// model of what each statement must do. Every variable's value, every record
// buffer and every error number must match the model after each statement;
// sanitizers catch any write outside a string's own bytes.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/string_builtins.h"
#include "core/strings.h"
#include "files/field_strings.h"
#include "files/file_bytes.h"
#include "files/file_bytes_memory.h"
#include "files/get_put.h"
#include "files/handle_table.h"
#include "files/open_close.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace
{

constexpr int FILES = 2, VARIABLES = 4, STATEMENTS_MAX = 64;

struct shadow_file {
    bool open = false;
    int64_t serial = 0, record_length = 0, position = 0;
    std::string content, buffer;
};

struct shadow_variable {
    std::string value;
    bool linked = false;
    int file = 0;
    int64_t serial = 0, width = 0, offset = 0;
};

struct machine {
    shadow_file files[FILES + 1];
    shadow_variable model[VARIABLES];
    string_descriptor *vars[VARIABLES] = {};
    int64_t next_serial = 1;
    uint32_t expected_error = 0;
};

// The input as a stream of bytes; 0 once it is used up.
struct reader {
    const uint8_t *data;
    size_t size, at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
    bool more() const { return at < size; }
};

void fail(const char *what, int detail)
{
    std::fprintf(stderr, "field_fuzz: %s (%d)\n", what, detail);
    std::abort();
}

bool live(const machine &m, const shadow_variable &v)
{
    const shadow_file &f = m.files[v.file];
    return v.linked && f.open && f.serial == v.serial;
}

// Every variable linked to the file's open takes its piece of the buffer.
void model_refresh(machine &m, int file)
{
    for (shadow_variable &v : m.model)
        if (live(m, v) && v.file == file)
            v.value = m.files[file].buffer.substr(size_t(v.offset), size_t(v.width));
}

void do_open(machine &m, reader &in)
{
    int n = 1 + in.next() % FILES;
    int64_t len = 1 + in.next() % 48;
    file_bytes_memory_bind(n, "", FILE_MODE_RANDOM);
    os_handle_record &r = *os_handle_at(file_number_handle(n));
    r.may_write = 1;
    r.record_length = len;
    r.record_buffer = static_cast<uint8_t *>(std::calloc(size_t(len), 1));
    m.files[n] = {true, r.serial, len, 0, "", std::string(size_t(len), '\0')};
}

void do_close(machine &m, reader &in)
{
    int n = 1 + in.next() % FILES;
    rt_close(n, 1);
    m.files[n].open = false;
}

void do_field(machine &m, reader &in)
{
    int n = 1 + in.next() % FILES;
    int parts = 1 + in.next() % 4;
    rt_field_begin(n);
    shadow_file &f = m.files[n];
    bool failed = !f.open;
    m.expected_error = failed ? 52 : 0;
    int64_t offset = 0;
    for (int p = 0; p < parts; ++p) {
        int var = in.next() % VARIABLES;
        int64_t width = in.next() % 32;
        rt_field_add(m.vars[var], width);
        if (failed)
            continue;
        if (width > f.record_length - offset) {
            m.expected_error = 50;
            failed = true;
            continue;
        }
        m.model[var] = {"", true, n, f.serial, width, offset};
        model_refresh(m, n);
        offset += width;
    }
}

void do_set(machine &m, reader &in, bool right)
{
    int var = in.next() % VARIABLES;
    std::string text(size_t(in.next() % 40), char('A' + in.next() % 26));
    (right ? rt_rset : rt_lset)(m.vars[var], string_from_buffer(text.data(), int32_t(text.size())));
    shadow_variable &v = m.model[var];
    size_t n = std::min(text.size(), v.value.size()), pad = v.value.size() - n;
    v.value = right ? std::string(pad, ' ') + text.substr(0, n)
                    : text.substr(0, n) + std::string(pad, ' ');
    if (!v.linked)
        return;
    if (!live(m, v)) {
        v.linked = false;
        return;
    }
    size_t copied = std::min<size_t>(v.value.size(), size_t(v.width));
    std::string piece = v.value.substr(0, copied) + std::string(size_t(v.width) - copied, ' ');
    m.files[v.file].buffer.replace(size_t(v.offset), size_t(v.width), piece);
    model_refresh(m, v.file);
}

void do_assign_or_free(machine &m, reader &in)
{
    int var = in.next() % VARIABLES;
    if (in.next() & 1) {
        string_free(m.vars[var]);
        m.vars[var] = string_new(0, false);
        m.model[var] = {};
        return;
    }
    std::string text(size_t(in.next() % 40), 'q');
    string_set(m.vars[var], string_from_buffer(text.data(), int32_t(text.size())));
    m.model[var].value = text;
}

// Record GET (get) or PUT at a position from the input (0: none given).
void do_record(machine &m, reader &in, bool get)
{
    int n = 1 + in.next() % FILES;
    int64_t position = in.next() % 6;
    (get ? rt_get_record : rt_put_record)(n, position, position != 0);
    shadow_file &f = m.files[n];
    if (!f.open) {
        m.expected_error = 52;
        return;
    }
    int64_t start = position ? (position - 1) * f.record_length : f.position;
    size_t len = size_t(f.record_length);
    if (get) {
        std::string bytes =
            size_t(start) < f.content.size() ? f.content.substr(size_t(start), len) : "";
        f.position = start + int64_t(bytes.size());
        bytes.resize(len, '\0');
        f.buffer = bytes;
        model_refresh(m, n);
        return;
    }
    if (f.content.size() < size_t(start) + len)
        f.content.resize(size_t(start) + len, '\0');
    f.content.replace(size_t(start), len, f.buffer);
    f.position = start + f.record_length;
}

void compare(const machine &m, int step)
{
    if (error_pending_take() != m.expected_error)
        fail("error number", step);
    for (int v = 0; v < VARIABLES; ++v) {
        const string_descriptor *s = m.vars[v];
        if (std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len)) != m.model[v].value)
            fail("variable value", step * 10 + v);
    }
    for (int n = 1; n <= FILES; ++n) {
        if (!m.files[n].open)
            continue;
        const os_handle_record &r = *os_handle_at(file_number_handle(n));
        if (std::memcmp(r.record_buffer, m.files[n].buffer.data(), m.files[n].buffer.size()))
            fail("record buffer", step * 10 + n);
    }
}

using statement_fn = void (*)(machine &, reader &);
constexpr statement_fn STATEMENTS[] = {
    do_open,
    do_close,
    do_field,
    [](machine &m, reader &in) { do_set(m, in, false); },
    [](machine &m, reader &in) { do_set(m, in, true); },
    do_assign_or_free,
    [](machine &m, reader &in) { do_record(m, in, true); },
    [](machine &m, reader &in) { do_record(m, in, false); },
};

void run(machine &m, reader &in)
{
    for (int step = 0; step < STATEMENTS_MAX && in.more(); ++step) {
        uint32_t mark = string_temp_count;
        m.expected_error = 0;
        STATEMENTS[in.next() % std::size(STATEMENTS)](m, in);
        temp_strings_release(mark);
        compare(m, step);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    dos_memory_reset();
    strings_static_init_with_heap(1024, 8); // compaction and growth happen often
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    machine m;
    for (auto &v : m.vars)
        v = string_new(0, false);
    field_state_reset();
    reader in{data, size};
    run(m, in);
    for (auto *v : m.vars)
        string_free(v);
    file_bytes_memory_reset();
    return 0;
}
