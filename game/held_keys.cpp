#include "game/held_keys.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/ports.h"
#include "core/program_thread.h"

#include <cstdlib>

int16_array held_keys{};
int16_t held_keys_ready = 0;

namespace {

constexpr int32_t keyboard_port = 0x60;
constexpr int32_t key_codes = 128;
constexpr int32_t break_bit = 128;

// The compiled program's end of a statement: the event check with the
// statement's source line when something is pending.
void statement_end(uint32_t line)
{
    if (event_pending.load())
        statement_event_check(line);
}

// REDIM held_keys(0 TO 127): releases the old elements and makes 128 zeroed
// ones. A static array cannot be redimensioned (error 10); no memory is
// error 257.
void held_keys_redim()
{
    if (held_keys.flags & ARRAY_STATIC) {
        error_raise(10);
        return;
    }
    std::free(held_keys.data);
    held_keys.data = nullptr;
    held_keys.flags &= ~ARRAY_ALLOCATED;
    auto *data = static_cast<int16_t *>(std::calloc(key_codes, sizeof(int16_t)));
    if (!data) {
        error_raise(257);
        return;
    }
    held_keys.data = data;
    held_keys.lower_bound = 0;
    held_keys.count = key_codes;
    held_keys.dimensions = 1;
    held_keys.flags |= ARRAY_ALLOCATED;
}

// The element for a subscript, or null with error 9 when it is out of range
// (the caller then uses element 0, as the compiled subscript check does).
int16_t *held_keys_element(int32_t index)
{
    if (!held_keys.data)
        return nullptr;
    if (uint32_t(index - held_keys.lower_bound) >= uint32_t(held_keys.count)) {
        error_raise(9);
        index = held_keys.lower_bound;
    }
    return &held_keys.data[index - held_keys.lower_bound];
}

void held_keys_store(int32_t index, int16_t value)
{
    if (error_pending.load() != 0)
        return;
    if (int16_t *element = held_keys_element(index); element && error_pending.load() == 0)
        *element = value;
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
    int16_t scan = int16_t(rt_inp(keyboard_port) & 0xFF);
    statement_end(1757);
    if (scan & break_bit)
        held_keys_store(scan ^ break_bit, 0);
    statement_end(1758);
    if (!(scan & break_bit))
        held_keys_store(scan, -1);
    statement_end(1759);
    int16_t *element = held_keys_element(code);
    int16_t result = element ? *element : 0;
    statement_end(1760);
    return result;
}

void held_keys_reset()
{
    std::free(held_keys.data);
    held_keys = int16_array{};
    held_keys_ready = 0;
}
