// Fuzz target for the INPUT line checker: the first byte chooses LINE INPUT
// or INPUT and the next ones up to six targets of every type a target can
// have (strings variable or of fixed length); the rest is the typed line (at
// most the editor's 255 characters). The fields of a valid line are stored
// into the targets as the editor does. Nothing may crash or trip a
// sanitizer, a result must count at most the targets, and every string field
// must lie inside the line.
#include "core/dos_memory.h"
#include "core/number_scan.h"
#include "core/strings.h"
#include "screen/input_editor_internal.h"

#include <cstdint>
#include <cstdlib>

namespace
{

constexpr uint32_t TYPES[] = {
    INPUT_TYPE_STRING, 8, 16, 32, 64, 8 | NUMERIC_TYPE_UNSIGNED, 16 | NUMERIC_TYPE_UNSIGNED,
    32 | NUMERIC_TYPE_UNSIGNED, 64 | NUMERIC_TYPE_UNSIGNED, 32 | NUMERIC_TYPE_FLOAT,
    64 | NUMERIC_TYPE_FLOAT, INPUT_REAL_LONGEST_BITS | NUMERIC_TYPE_FLOAT,
    INPUT_TYPE_STRING | INPUT_TYPE_NO_STORE, 16 | INPUT_TYPE_NO_STORE};
constexpr size_t TYPE_COUNT = sizeof TYPES / sizeof TYPES[0];
constexpr int32_t MOST_TARGETS = 6;

// The variables: a variable-length and a fixed-length string, and room for
// the widest number, for each target.
struct variables {
    string_descriptor *text[MOST_TARGETS];
    string_descriptor *fixed[MOST_TARGETS];
    alignas(16) uint8_t number[MOST_TARGETS][32];
    uint8_t fixed_bytes[MOST_TARGETS][5];
};

variables &variables_once()
{
    static variables v;
    static const bool ready = [] {
        dos_memory_reset();
        strings_static_init();
        for (int32_t i = 0; i < MOST_TARGETS; i++) {
            v.text[i] = string_new(0, false);
            v.fixed[i] = string_over_memory(v.fixed_bytes[i], 5, false);
        }
        return true;
    }();
    (void)ready;
    return v;
}

void *variable_for(variables &v, int32_t i, uint32_t type_word, uint8_t pick)
{
    if (!(type_word & INPUT_TYPE_STRING))
        return v.number[i];
    return pick & 0x80 ? v.fixed[i] : v.text[i];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const bool line_mode = data[0] & 1;
    const int32_t count = line_mode ? 1 : 1 + data[0] / 2 % MOST_TARGETS;
    size_t at = 1;
    variables &v = variables_once();
    input_target targets[MOST_TARGETS];
    for (int32_t i = 0; i < count; i++) {
        const uint8_t pick = at < size ? data[at++] : 0;
        const uint32_t type =
            line_mode ? INPUT_TYPE_STRING | INPUT_TYPE_LINE : TYPES[pick % TYPE_COUNT];
        targets[i] = {variable_for(v, i, type, pick), type};
    }
    const uint8_t *line = data + at;
    const int32_t length = int32_t(size - at < size_t(INPUT_LINE_MAX) ? size - at : INPUT_LINE_MAX);
    input_value values[MOST_TARGETS];
    const int32_t fields = input_line_check(line, length, targets, count, line_mode, values);
    if (fields < -1 || fields > count)
        std::abort();
    for (int32_t i = 0; i < fields; i++) {
        if (!(targets[i].type_word & INPUT_TYPE_STRING))
            continue;
        const input_value &v = values[i];
        if (v.text_at < 0 || v.text_len < 0 || v.text_at + v.text_len > length)
            std::abort();
    }
    const uint32_t mark = string_temp_count;
    for (int32_t i = 0; i < count; i++)
        input_target_store(targets[i], line, i < fields ? &values[i] : nullptr);
    temp_strings_release(mark);
    return 0;
}
