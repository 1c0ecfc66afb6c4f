// The held-key set and the BIOS keyboard flag bytes.
//
// The set is a fixed array of slots; a held code sits in one slot from its
// press to its release and never moves, so a reader on another thread that
// scans the slots always finds a key that stays held. An empty slot is 0. The
// main thread alone writes the slots; slots_used is the high-water mark the
// readers scan up to.
#include "core/dos_memory.h"
#include "core/errors.h"
#include "display/key_table.h"
#include "display/keyboard.h"
#include "display/keyboard_internal.h"
#include "display/runtime_loop.h"

#include <atomic>

namespace
{

std::atomic<int32_t> held_codes[HELD_KEY_CAPACITY];
// Main thread only: key_companion_value at the time each code was added.
uint32_t held_companions[HELD_KEY_CAPACITY];
std::atomic<uint32_t> slots_used{0};

constexpr uint32_t BIOS_FLAGS_1 = 0x417;
constexpr uint32_t BIOS_FLAGS_2 = 0x418;
constexpr uint32_t BIOS_FLAGS_3 = 0x496;

// The slot holding code, or -1.
int32_t held_slot_of(int32_t code)
{
    const uint32_t used = slots_used.load(std::memory_order_acquire);
    for (uint32_t i = 0; i < used; i++)
        if (held_codes[i].load(std::memory_order_relaxed) == code)
            return int32_t(i);
    return -1;
}

// The keypad key that also counts as this code, 0 when none.
int32_t key_alias(int32_t code)
{
    static constexpr char pad_chars[] = "0123456789./*-+";
    for (int32_t i = 0; pad_chars[i]; i++)
        if (code == pad_chars[i])
            return KEY_PAD_0 + i;
    if (code == KEY_ENTER)
        return KEY_PAD_LAST;
    static constexpr int32_t nav_scans[] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73, 83};
    if (code > 0 && code % 256 == 0)
        for (int32_t i = 0; i < 11; i++)
            if (code == nav_scans[i] * 256)
                return KEY_NAV_PAD_FIRST + i;
    return 0;
}

void bios_flag_store(uint32_t address, uint8_t value)
{
    if (emulated_dos_memory)
        std::atomic_ref<uint8_t>(emulated_dos_memory[address])
            .store(value, std::memory_order_relaxed);
}

uint8_t flag_if(int32_t code, uint8_t bit)
{
    return key_is_down(code) ? bit : 0;
}

} // namespace

bool key_held_exact(int32_t code)
{
    return code != 0 && held_slot_of(code) >= 0;
}

bool key_is_down(int32_t code)
{
    if (key_held_exact(code))
        return true;
    const int32_t alias = key_alias(code);
    return alias != 0 && held_slot_of(alias) >= 0;
}

bool key_shift_held()
{
    return key_is_down(KEY_SHIFT_LEFT) || key_is_down(KEY_SHIFT_RIGHT);
}
bool key_ctrl_held()
{
    return key_is_down(KEY_CTRL_LEFT) || key_is_down(KEY_CTRL_RIGHT);
}
bool key_alt_held()
{
    return key_is_down(KEY_ALT_LEFT) || key_is_down(KEY_ALT_RIGHT);
}

void key_held_add(int32_t code)
{
    const uint32_t companion = key_companion_value.exchange(0);
    if (code == 0 || held_slot_of(code) >= 0)
        return;
    uint32_t used = slots_used.load(std::memory_order_relaxed);
    uint32_t slot = 0;
    while (slot < used && held_codes[slot].load(std::memory_order_relaxed) != 0)
        slot++;
    if (slot == HELD_KEY_CAPACITY)
        return;
    held_companions[slot] = companion;
    held_codes[slot].store(code, std::memory_order_release);
    if (slot == used)
        slots_used.store(used + 1, std::memory_order_release);
}

void key_held_remove(int32_t code)
{
    const int32_t slot = held_slot_of(code);
    if (slot < 0)
        return;
    held_companions[slot] = 0;
    held_codes[slot].store(0, std::memory_order_release);
}

void key_held_release_by_value(uint32_t value)
{
    const uint32_t used = slots_used.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i < used; i++) {
        const int32_t code = held_codes[i].load(std::memory_order_relaxed);
        if (code != 0 && held_companions[i] == value) {
            keyboard_key_up_event(code);
            return;
        }
    }
}

uint32_t key_held_snapshot(int32_t *codes, uint32_t max)
{
    uint32_t n = 0;
    const uint32_t used = slots_used.load(std::memory_order_acquire);
    for (uint32_t i = 0; i < used && n < max; i++) {
        const int32_t code = held_codes[i].load(std::memory_order_relaxed);
        if (code != 0)
            codes[n++] = code;
    }
    return n;
}

void key_held_reset()
{
    for (uint32_t i = 0; i < HELD_KEY_CAPACITY; i++) {
        held_codes[i].store(0);
        held_companions[i] = 0;
    }
    slots_used.store(0);
}

int32_t key_down_query(int32_t code)
{
    if (code < 1) {
        error_raise(5);
        return 0;
    }
    return key_is_down(code) ? -1 : 0;
}

void bios_keyboard_flags_update()
{
    const uint8_t flags1 = flag_if(KEY_SHIFT_RIGHT, 1) | flag_if(KEY_SHIFT_LEFT, 2) |
                           (key_ctrl_held() ? 4 : 0) | (key_alt_held() ? 8 : 0) |
                           flag_if(KEY_SCROLL_LOCK_ON, 16) | flag_if(KEY_NUM_LOCK, 32) |
                           flag_if(KEY_CAPS_LOCK, 64) | flag_if(KEY_INSERT_MODE_ON, 128);
    const uint8_t flags2 = flag_if(KEY_CTRL_LEFT, 1) | flag_if(KEY_ALT_LEFT, 2) |
                           flag_if(KEY_SYSREQ, 4) | flag_if(KEY_PAUSE, 8) |
                           flag_if(KEY_SCROLL_LOCK, 16) | flag_if(KEY_INSERT, 128);
    const uint8_t flags3 = 16 | flag_if(KEY_CTRL_RIGHT, 1) | flag_if(KEY_ALT_RIGHT, 2);
    bios_flag_store(BIOS_FLAGS_1, flags1);
    bios_flag_store(BIOS_FLAGS_2, flags2);
    bios_flag_store(BIOS_FLAGS_3, flags3);
}
