#include "game/held_keys.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/memory.h"
#include "core/ports.h"
#include "core/program_thread.h"
#include "core/small_ops.h"

#include <cstdlib>

array_descriptor held_keys{};
int16_t held_keys_ready = 0;

namespace
{

constexpr int32_t keyboard_port = 0x60;
constexpr int32_t key_codes = 128;
constexpr int16_t break_bit = 128;

// The compiled program's end of a statement: the event check with the
// statement's source line when something is pending.
void statement_end(uint32_t line)
{
    if (event_pending.load())
        statement_event_check(line);
}

void held_keys_release()
{
    if (held_keys.flags & ARRAY_ALLOCATED) {
        if (held_keys.flags & ARRAY_IN_DOS_MEMORY)
            dos_memory_free(held_keys.data);
        else
            std::free(held_keys.data);
    }
    held_keys.data = array_zero_block;
    held_keys.flags &= ~(ARRAY_ALLOCATED | ARRAY_IN_DOS_MEMORY);
    held_keys.dimension_count = 0;
    held_keys.dimensions[0] = {};
}

// REDIM held_keys(0 TO 127): releases the old elements and makes 128 zeroed
// INTEGERs. A static array cannot be redimensioned (error 10); no memory is
// error 257.
void held_keys_redim()
{
    if (held_keys.flags & ARRAY_STATIC) {
        error_raise(10);
        return;
    }
    held_keys_release();
    void *data = std::calloc(key_codes, sizeof(int16_t));
    if (!data) {
        error_raise(257);
        return;
    }
    held_keys.data = data;
    held_keys.dimension_count = 1;
    held_keys.dimensions[0] = {0, key_codes, {0, 0}};
    held_keys.flags |= ARRAY_ALLOCATED;
}

// held_keys(index) through the subscript check (error 9 goes to element 0).
int16_t &held_keys_element(int32_t index)
{
    const array_dimension &d = held_keys.dimensions[0];
    uint32_t offset = array_index_check(uint32_t(index - d.lower_bound), uint32_t(d.element_count));
    // Not dimensioned: the check has failed and element 0 is the zero block.
    void *data = held_keys.data ? held_keys.data : array_zero_block;
    return static_cast<int16_t *>(data)[offset];
}

void held_keys_store(int32_t index, int16_t value)
{
    if (error_pending.load() != 0)
        return;
    int16_t &element = held_keys_element(index);
    if (error_pending.load() == 0)
        element = value;
}

} // namespace

int16_t game_key_held(int16_t &code)
{
    if (error_pending.load() != 0)
        return 0;
    if (held_keys_ready != -1) {
        held_keys_redim();
        if (error_pending.load() == 0)
            held_keys_ready = -1;
    }
    statement_end(1756);
    int16_t scan = int16_t(rt_inp(keyboard_port));
    statement_end(1757);
    if (scan & break_bit)
        held_keys_store(scan ^ break_bit, 0);
    statement_end(1758);
    if (!(scan & break_bit))
        held_keys_store(scan, -1);
    statement_end(1759);
    int16_t result = held_keys_element(code);
    statement_end(1760);
    return result;
}

void held_keys_reset()
{
    held_keys.flags = 0;
    held_keys_release();
    held_keys_ready = 0;
}
