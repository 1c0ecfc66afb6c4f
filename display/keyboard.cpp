// The key-down and key-up handlers: Break, Pause, Alt+Enter, key traps, soft
// keys, and the entries for the key-hit ring, the scan-code queue and the
// BIOS keyboard buffer. Main thread only.
#include "display/keyboard.h"
#include "core/control_words.h"
#include "core/strings.h"
#include "core/traps.h"
#include "display/key_table.h"
#include "display/keyboard_internal.h"
#include "display/scancode_queue.h"
#include "platform/clock.h"

#include <algorithm>
#include <cstring>

std::atomic<uint32_t> alt_enter_requests{0};

namespace
{

// Keys whose press fired a key trap or typed a soft-key string: their release
// is swallowed.
constexpr int32_t TRAPPED_KEY_CAPACITY = 256;
int32_t trapped_keys[TRAPPED_KEY_CAPACITY];
int32_t trapped_last = -1; // last used index

bool soft_key_typing = false; // the keys of a soft-key string skip the traps
bool unicode_mark = false;    // the next key-down came from Unicode input

constexpr uint8_t BREAK_CODE_BIT = 0x80;

void trapped_key_add(int32_t code)
{
    for (int32_t i = 0; i <= trapped_last; i++) {
        if (trapped_keys[i] == 0) {
            trapped_keys[i] = code;
            return;
        }
    }
    if (trapped_last < TRAPPED_KEY_CAPACITY - 1)
        trapped_keys[++trapped_last] = code;
}

bool trapped_key_take(int32_t code)
{
    for (int32_t i = 0; i <= trapped_last; i++) {
        if (trapped_keys[i] == code) {
            trapped_keys[i] = 0;
            return true;
        }
    }
    return false;
}

bool is_break_key(int32_t code)
{
    return code == KEY_BREAK ||
           ((code == KEY_SCROLL_LOCK || code == KEY_CTRL_BREAK) && key_ctrl_held());
}

bool is_pause_key(int32_t code)
{
    return code == KEY_PAUSE || (code == KEY_NUM_LOCK && key_ctrl_held());
}

void break_key_serve()
{
    if (exit_handled.load(std::memory_order_relaxed))
        exit_request.fetch_or(2);
    else
        program_stop_flag.store(1);
    clock_wake(&program_wake);
}

void toggle_held(int32_t code)
{
    if (key_held_exact(code))
        key_held_remove(code);
    else
        key_held_add(code);
}

// The key's own flag when it is a modifier or lock key.
uint8_t own_modifier_flag(int32_t code)
{
    switch (code) {
    case KEY_SHIFT_LEFT:
    case KEY_SHIFT_RIGHT:
        return KEY_FLAG_SHIFT;
    case KEY_CTRL_LEFT:
    case KEY_CTRL_RIGHT:
        return KEY_FLAG_CTRL;
    case KEY_ALT_LEFT:
    case KEY_ALT_RIGHT:
        return KEY_FLAG_ALT;
    case KEY_NUM_LOCK:
        return KEY_FLAG_NUM_LOCK;
    case KEY_CAPS_LOCK:
        return KEY_FLAG_CAPS_LOCK;
    default:
        return 0;
    }
}

uint8_t modifier_flags_now()
{
    return (key_is_down(KEY_SHIFT_RIGHT) ? 1 : 0) | (key_is_down(KEY_SHIFT_LEFT) ? 2 : 0) |
           (key_ctrl_held() ? KEY_FLAG_CTRL : 0) | (key_alt_held() ? KEY_FLAG_ALT : 0) |
           (key_is_down(KEY_NUM_LOCK) ? KEY_FLAG_NUM_LOCK : 0) |
           (key_is_down(KEY_CAPS_LOCK) ? KEY_FLAG_CAPS_LOCK : 0);
}

key_trap_key trap_key_of(int32_t code)
{
    key_trap_key k{};
    bool keypad = false;
    k.raw_code = code;
    k.translated_code = key_ring_code(code, &keypad);
    k.make_code = key_make_code(code);
    k.extended = key_is_extended(code);
    k.own_modifier = own_modifier_flag(code);
    k.modifiers = modifier_flags_now();
    return k;
}

// Types the soft-key string of the first key record that names this key.
// Returns false when no record with a string matches.
bool soft_key_type(const key_trap_key &k)
{
    for (const key_trap_record &record : key_trap_table) {
        const string_descriptor *label = record.label.load(std::memory_order_acquire);
        if (!label || label->len < 1)
            continue;
        const bool matches =
            (record.key_code != 0 && record.key_code == uint32_t(k.translated_code)) ||
            (record.partner_code != 0 && record.partner_code == uint32_t(k.raw_code));
        if (!matches)
            continue;
        uint8_t text[256];
        const int32_t length = std::min<int32_t>(label->len, sizeof text);
        std::memcpy(text, label->chr, size_t(length));
        trapped_key_add(k.raw_code);
        const bool was_typing = soft_key_typing;
        soft_key_typing = true;
        for (int32_t i = 0; i < length; i++) {
            keyboard_key_down_event(text[i]);
            keyboard_key_up_event(text[i]);
        }
        soft_key_typing = was_typing;
        return true;
    }
    return false;
}

// A value of the key table into the BIOS buffer: nothing for 0, an extended
// key (0, value / 256) for 256 and above, else (value, scan).
void bios_value_put(int32_t value, uint8_t scan)
{
    if (value == 0)
        return;
    if (value >= 256)
        bios_buffer_put(0, uint8_t(value / 256));
    else
        bios_buffer_put(uint8_t(value), scan);
}

void lock_or_modifier_down(int32_t code, bool scroll_was_held)
{
    scancode_queue_push(key_make_code(code));
    if (code == KEY_SCROLL_LOCK && !scroll_was_held && !key_ctrl_held())
        toggle_held(KEY_SCROLL_LOCK_ON);
    bios_keyboard_flags_update();
}

// A function, navigation or keypad key.
void table_key_down(int32_t code, int32_t row, bool insert_was_held)
{
    const key_table_row &r = key_table_row_at(row);
    if (r.col[KEY_COL_PLAIN] == 0) {
        bios_buffer_put(0, uint8_t(code / 256));
        return;
    }
    const uint8_t make = uint8_t(r.col[KEY_COL_MAKE]);
    scancode_queue_push(make);
    const bool shift = key_shift_held(), ctrl = key_ctrl_held(), alt = key_alt_held();
    if (code == KEY_INSERT && !insert_was_held && !shift && !ctrl && !alt) {
        toggle_held(KEY_INSERT_MODE_ON);
        bios_keyboard_flags_update();
    }
    int32_t col = shift ? KEY_COL_SHIFT : KEY_COL_PLAIN;
    if (key_table_row_is_pad_digit(row) && key_is_down(KEY_NUM_LOCK))
        col = shift ? KEY_COL_NUM_LOCK_SHIFT : KEY_COL_NUM_LOCK;
    if (ctrl)
        col = KEY_COL_CTRL;
    if (alt)
        col = KEY_COL_ALT;
    bios_value_put(r.col[col], make);
}

// A character key. AltGr (left Ctrl with right Alt) on a character from
// Unicode input gives the character itself.
void character_key_down(int32_t code, bool from_unicode)
{
    const key_table_row &r = key_table_row_at(code);
    const uint8_t scan = uint8_t(r.col[KEY_COL_MAKE]);
    if (scan == 0) {
        bios_buffer_put(uint8_t(code), 0);
        return;
    }
    scancode_queue_push(scan);
    int32_t col = KEY_COL_PLAIN;
    if (key_shift_held())
        col = KEY_COL_SHIFT;
    if (key_ctrl_held())
        col = KEY_COL_CTRL;
    if (key_alt_held())
        col = KEY_COL_ALT;
    const bool alt_gr = from_unicode && key_is_down(KEY_CTRL_LEFT) && key_is_down(KEY_ALT_RIGHT) &&
                        !key_is_down(KEY_ALT_LEFT) && !key_is_down(KEY_CTRL_RIGHT);
    if (alt_gr)
        col = KEY_COL_PLAIN;
    bios_value_put(r.col[col], scan);
}

// The scan-code queue, the flag bytes and the BIOS buffer for a pressed key.
void key_down_bios(int32_t code, bool from_unicode, bool insert_was_held, bool scroll_was_held)
{
    if (code == KEY_CODE_ZERO)
        code = 0;
    if (code >= KEY_NUM_LOCK && code <= KEY_ALT_LEFT) {
        lock_or_modifier_down(code, scroll_was_held);
        return;
    }
    const int32_t row = key_table_row_of(code);
    if (row < 0)
        return;
    if (row < 256)
        character_key_down(code, from_unicode);
    else
        table_key_down(code, row, insert_was_held);
}

// Break, Pause, a paused program and Alt+Enter: true when the key was one of
// them and is used up.
bool key_down_control(int32_t code)
{
    if (is_break_key(code)) {
        break_key_serve();
        return true;
    }
    if (is_pause_key(code)) {
        program_suspended.fetch_or(1);
        event_pending.store(1);
        clock_wake(&program_wake);
        return true;
    }
    if (program_suspended.load() & 1) {
        program_suspended.fetch_and(uint8_t(~1u));
        return true;
    }
    if (code == KEY_ENTER && key_alt_held()) {
        alt_enter_requests.fetch_add(1);
        return true;
    }
    return false;
}

// Key traps and soft keys: true when the key fired one and goes no further.
bool key_down_trapped(int32_t code)
{
    const key_trap_key k = trap_key_of(code);
    if (!soft_key_typing && key_trap_match(k) >= 0) {
        trapped_key_add(code);
        return true;
    }
    return soft_key_type(k);
}

} // namespace

void keyboard_key_down_event(int32_t code)
{
    if (code == 0)
        code = KEY_CODE_ZERO;
    const bool from_unicode = unicode_mark;
    unicode_mark = false;
    const bool insert_was_held = key_held_exact(KEY_INSERT);
    const bool scroll_was_held = key_held_exact(KEY_SCROLL_LOCK);
    key_held_add(code);
    if (!key_down_control(code) && !key_down_trapped(code)) {
        bool keypad = false;
        key_hit_ring_push(key_ring_code(code, &keypad), keypad);
        key_down_bios(code, from_unicode, insert_was_held, scroll_was_held);
    }
    sleep_wake.store(1);
}

void keyboard_key_up_event(int32_t code)
{
    if (code == 0)
        code = KEY_CODE_ZERO;
    key_held_remove(code);
    if (trapped_key_take(code))
        return;
    bool keypad = false;
    key_hit_ring_push(-key_ring_code(code, &keypad), keypad);
    const uint8_t make = key_make_code(code);
    if (make == 0)
        return;
    scancode_queue_push(make | BREAK_CODE_BIT);
    if ((code >= KEY_NUM_LOCK && code <= KEY_ALT_LEFT) || code == KEY_INSERT)
        bios_keyboard_flags_update();
}

void key_unicode_mark_set()
{
    unicode_mark = true;
}

void key_events_reset()
{
    std::fill(std::begin(trapped_keys), std::end(trapped_keys), 0);
    trapped_last = -1;
    soft_key_typing = false;
    unicode_mark = false;
    alt_enter_requests.store(0);
}

bool alt_enter_request_take()
{
    uint32_t n = alt_enter_requests.load();
    while (n > 0 && !alt_enter_requests.compare_exchange_weak(n, n - 1)) {
    }
    return n > 0;
}

full_screen_choice full_screen_alt_enter_next(int32_t current, bool smooth)
{
    if (current == 2 && smooth)
        return {0, smooth};
    if (!smooth && current != 0)
        return {current, true};
    return {current + 1, false};
}
