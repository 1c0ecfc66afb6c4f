// The keyboard's entry points for the window layer (main thread), the lock-key
// start-up and synchronisation, and the reset.
//
// Each physical key remembers the code its press produced, so that its
// release releases that code: the toolkit reports Shift+a down as "A" but,
// when Shift goes up first, the release as "a".
#include "core/control_words.h"
#include "display/key_symbols.h"
#include "display/key_table.h"
#include "display/keyboard.h"
#include "display/keyboard_internal.h"
#include "display/runtime_loop.h"
#include "display/scancode_queue.h"
#include "platform/system_keys.h"
#include "screen/codepage.h"

#include <X11/keysym.h>

#include <algorithm>

namespace
{

// The toolkit's special-key numbers and the codes they become.
struct special_key {
    int32_t toolkit;
    int32_t code;
};
constexpr special_key special_keys[] = {
    {11, KEY_F11},         {12, KEY_F12},         {100, KEY_LEFT},        {101, KEY_UP},
    {102, KEY_RIGHT},      {103, KEY_DOWN},       {104, KEY_PAGE_UP},     {105, KEY_PAGE_DOWN},
    {106, KEY_HOME},       {107, KEY_END},        {108, KEY_INSERT},      {110, KEY_CENTRE},
    {111, KEY_DELETE},     {112, KEY_SHIFT_LEFT}, {113, KEY_SHIFT_RIGHT}, {114, KEY_CTRL_LEFT},
    {115, KEY_CTRL_RIGHT}, {116, KEY_ALT_LEFT},   {117, KEY_ALT_RIGHT},
};
constexpr int32_t TOOLKIT_F1 = 1;
constexpr int32_t TOOLKIT_F10 = 10;

// PC buttons of the keys whose own character is a control character.
constexpr int32_t BUTTON_BACKSPACE = 14;
constexpr int32_t BUTTON_TAB = 15;
constexpr int32_t BUTTON_ENTER = 28;
constexpr int32_t BUTTON_PAD_ENTER = 0x11C;

constexpr uint32_t PHYSICAL_KEYS = 256;
int32_t physical_codes[PHYSICAL_KEYS];     // code of the key's press, 0 = up
constexpr int32_t PHYSICAL_SWALLOWED = -1; // down, but its press gave nothing

constexpr uint32_t UNICODE_UNMAPPED = 0x40000000;

// The newest lock states the runtime loop read, for the main thread; the main
// thread compares them with the held-key set, so a later post simply replaces
// one not yet applied.
std::atomic<uint32_t> lock_post{0};
constexpr uint32_t LOCK_POSTED = 0x80000000;

// Counts the times the main thread set Num Lock from a key's own event. A
// post carries the count as it was before the states were read; a post read
// before such a change is older than the key's state and is dropped, or it
// would take Num Lock back for a pass and then press it anew, as Pause when
// Ctrl is held by then.
std::atomic<uint32_t> lock_epoch{0};
constexpr uint32_t LOCK_EPOCH_SHIFT = 8;
constexpr uint32_t LOCK_EPOCH_MASK = 0x7FFFFF;
constexpr uint32_t LOCK_CAPS = 1;
constexpr uint32_t LOCK_NUM = 2;
constexpr uint32_t LOCK_SCROLL = 4;

constexpr uint32_t COMPANION_NUM_LOCK = 300;
constexpr uint32_t COMPANION_CAPS_LOCK = 301;

// Notes what a physical key's press gives. A repeat whose code changed
// (Shift pressed while the key repeats) first lets go of the old code, which
// would otherwise stay held.
void physical_code_set(int32_t code, uint32_t physical_key)
{
    if (physical_key == 0 || physical_key >= PHYSICAL_KEYS)
        return;
    int32_t &held = physical_codes[physical_key];
    if (held != 0 && held != PHYSICAL_SWALLOWED && held != code)
        keyboard_key_up_event(held);
    held = code;
}

void key_physical_press(int32_t code, uint32_t physical_key)
{
    if (code == 0)
        code = KEY_CODE_ZERO;
    physical_code_set(code, physical_key);
    keyboard_key_down_event(code);
}

// The release of what the key's press gave; `code` when its press was not
// seen, nothing when it gave nothing. PHYSICAL_SWALLOWED as the code releases
// only a press seen.
void key_physical_release(int32_t code, uint32_t physical_key)
{
    if (physical_key != 0 && physical_key < PHYSICAL_KEYS && physical_codes[physical_key] != 0) {
        code = physical_codes[physical_key];
        physical_codes[physical_key] = 0;
        if (code == PHYSICAL_SWALLOWED)
            return;
    }
    if (code != PHYSICAL_SWALLOWED)
        keyboard_key_up_event(code);
}

void key_physical_event(int32_t code, bool down, uint32_t physical_key)
{
    if (down)
        key_physical_press(code, physical_key);
    else
        key_physical_release(code, physical_key);
}

// With Ctrl held the toolkit reports a letter as its control character: the
// letter comes back (upper case with Shift) and Ctrl+Enter's 10 becomes 13.
// Enter, Tab and Backspace keep their own characters.
int32_t control_character_undo(int32_t key, uint32_t modifiers, uint32_t physical_key)
{
    if (!(modifiers & KEY_MOD_CTRL))
        return key;
    const int32_t button = physical_key ? key_pc_button_of_x_keycode(physical_key) : 0;
    if (button == BUTTON_ENTER || button == BUTTON_PAD_ENTER || button == BUTTON_TAB ||
        button == BUTTON_BACKSPACE)
        return key;
    if (key == 10)
        return KEY_ENTER;
    if (key >= 1 && key <= 26)
        return key + ((modifiers & KEY_MOD_SHIFT) ? 'A' - 1 : 'a' - 1);
    return key;
}

int32_t unicode_code(uint32_t u)
{
    if (u <= 127)
        return int32_t(u);
    if (const uint32_t c = codepage_from_unicode(u))
        return int32_t(c);
    if (u >= 0xFF01 && u <= 0xFF5E)
        return int32_t(u - 65248);
    if (u == 0x3000)
        return ' ';
    return int32_t(u | UNICODE_UNMAPPED);
}

// The lock key follows the system: pressed when it came on, released when it
// went off, like a key of the window.
void lock_key_follow(int32_t code, bool on, uint32_t companion)
{
    if (on == key_held_exact(code))
        return;
    if (on) {
        key_companion_value.store(companion);
        keyboard_key_down_event(code);
    } else {
        keyboard_key_up_event(code);
    }
    bios_keyboard_flags_update();
}

// A state the held set takes without a key event: added (with its companion
// value) or removed, and the flag bytes rewritten. True when it changed.
bool held_state_follow(int32_t code, bool on, uint32_t companion)
{
    if (on == key_held_exact(code))
        return false;
    if (on) {
        key_companion_value.store(companion);
        key_held_add(code);
    } else {
        key_held_remove(code);
    }
    bios_keyboard_flags_update();
    return true;
}

// A keypad key carries the Num Lock state it was typed with, and the key's
// column must be chosen with that state: the held set takes it at once, where
// the runtime loop's reading of the lock may come a little later. Quietly,
// without a key press, so that a Ctrl held meanwhile does not make it Pause.
void num_lock_follow_key(bool on)
{
    if (held_state_follow(KEY_NUM_LOCK, on, COMPANION_NUM_LOCK))
        lock_epoch.fetch_add(1, std::memory_order_acq_rel);
}

// A key of the key table by its X key symbol; false for other symbols.
bool x_symbol_key_event(uint32_t keysym, uint32_t modifiers, bool down, uint32_t physical_key)
{
    const int32_t code = key_code_of_x_symbol(keysym, modifiers);
    if (code == 0)
        return false;
    if (down && key_code_is_keypad(code))
        num_lock_follow_key(modifiers & KEY_MOD_NUM_LOCK);
    key_physical_event(code, down, physical_key);
    return true;
}

void scroll_state_follow(bool on)
{
    held_state_follow(KEY_SCROLL_LOCK_ON, on, 0);
}

// A key the system has down, pressed unless it is held already.
void startup_press(bool down, int32_t code, uint32_t companion)
{
    if (!down || key_held_exact(code))
        return;
    key_companion_value.store(companion);
    keyboard_key_down_event(code);
}

void modifiers_press(const system_key_state &state)
{
    startup_press(state.shift_left_down, KEY_SHIFT_LEFT, 304);
    startup_press(state.shift_right_down, KEY_SHIFT_RIGHT, 303);
    startup_press(state.ctrl_left_down, KEY_CTRL_LEFT, 306);
    startup_press(state.ctrl_right_down, KEY_CTRL_RIGHT, 305);
    startup_press(state.alt_left_down, KEY_ALT_LEFT, 308);
    startup_press(state.alt_right_down, KEY_ALT_RIGHT, 307);
}

} // namespace

void glut_key_translate(uint8_t key, uint32_t modifiers, bool down, uint32_t physical_key)
{
    int32_t code = control_character_undo(key, modifiers, physical_key);
    if (code == 127)
        code = KEY_DELETE;
    key_physical_event(code, down, physical_key);
}

void x_key_translate(uint8_t key, uint32_t keysym, uint32_t modifiers, bool down,
                     uint32_t physical_key)
{
    if (!x_symbol_key_event(keysym, modifiers, down, physical_key))
        glut_key_translate(key, modifiers, down, physical_key);
}

void x_special_key_translate(int32_t key, uint32_t keysym, uint32_t modifiers, bool down,
                             uint32_t physical_key)
{
    if (!x_symbol_key_event(keysym, modifiers, down, physical_key))
        glut_special_key_translate(key, down, physical_key);
}

void glut_special_key_translate(int32_t key, bool down, uint32_t physical_key)
{
    int32_t code = 0;
    if (key >= TOOLKIT_F1 && key <= TOOLKIT_F10)
        code = KEY_F1 + (key - TOOLKIT_F1) * 256;
    for (const special_key &k : special_keys)
        if (k.toolkit == key)
            code = k.code;
    if (code != 0)
        key_physical_event(code, down, physical_key);
}

bool key_x_keysym_event(uint32_t keysym, uint32_t modifiers, bool down, uint32_t physical_key)
{
    switch (keysym) {
    case XK_ISO_Left_Tab:
        return x_symbol_key_event(keysym, modifiers, down, physical_key);
    case XK_Pause:
        key_physical_event(KEY_PAUSE, down, physical_key);
        return true;
    case XK_Break:
        key_physical_event(KEY_BREAK, down, physical_key);
        return true;
    case XK_Scroll_Lock:
        key_physical_event(KEY_SCROLL_LOCK, down, physical_key);
        return true;
    case XK_Sys_Req:
        key_physical_event(KEY_SYSREQ, down, physical_key);
        return true;
    default:
        return false;
    }
}

void key_press_unicode(uint32_t u, uint32_t physical_key)
{
    key_unicode_mark_set();
    key_physical_press(unicode_code(u), physical_key);
}

void key_release_unicode(uint32_t u, uint32_t physical_key)
{
    key_physical_release(unicode_code(u), physical_key);
}

namespace
{

void typed_character_event(char32_t c, uint32_t modifiers, bool down, uint32_t physical_key)
{
    if (c <= 127)
        glut_key_translate(uint8_t(c), modifiers, down, physical_key);
    else if (down)
        key_press_unicode(c, physical_key);
    else
        key_release_unicode(c, physical_key);
}

} // namespace

void x_text_key_translate(int32_t key, uint32_t keysym, std::u32string_view text,
                          uint32_t modifiers, bool down, uint32_t physical_key)
{
    if (x_symbol_key_event(keysym, modifiers, down, physical_key))
        return;
    if (text.empty()) {
        if (key >= 0)
            glut_key_translate(uint8_t(key), modifiers, down, physical_key);
        else if (!down)
            key_physical_release(PHYSICAL_SWALLOWED, physical_key);
        return;
    }
    if (down)
        x_text_type(text.substr(0, text.size() - 1), modifiers);
    typed_character_event(text.back(), modifiers, down, physical_key);
}

void x_text_type(std::u32string_view text, uint32_t modifiers)
{
    for (const char32_t c : text)
        for (bool press : {true, false})
            typed_character_event(c, modifiers, press, 0);
}

void key_press_swallowed(uint32_t physical_key)
{
    physical_code_set(PHYSICAL_SWALLOWED, physical_key);
}

int32_t window_key_hook_event(int32_t code, int32_t value)
{
    if (code != KEY_PAUSE && code != KEY_BREAK)
        return -1;
    if (value < 1)
        keyboard_key_up_event(code);
    else
        keyboard_key_down_event(code);
    return 0;
}

void key_focus_lost()
{
    int32_t held[HELD_KEY_CAPACITY];
    const uint32_t n = key_held_snapshot(held, HELD_KEY_CAPACITY);
    for (uint32_t i = 0; i < n; i++) {
        const int32_t code = held[i];
        const bool lock_state = code == KEY_NUM_LOCK || code == KEY_CAPS_LOCK ||
                                code == KEY_SCROLL_LOCK_ON || code == KEY_INSERT_MODE_ON;
        if (!lock_state)
            keyboard_key_up_event(code);
    }
    std::fill(std::begin(physical_codes), std::end(physical_codes), 0);
    // The key-up handler rewrites the flag bytes only for modifier keys and
    // Insert; SysReq and Pause have flags too.
    bios_keyboard_flags_update();
}

void key_focus_regained(const system_key_state &state)
{
    modifiers_press(state);
}

namespace
{

void lock_keys_post_read(const system_lock_states &states, uint32_t epoch)
{
    lock_post.store(LOCK_POSTED | ((epoch & LOCK_EPOCH_MASK) << LOCK_EPOCH_SHIFT) |
                        (states.caps_lock_on ? LOCK_CAPS : 0) |
                        (states.num_lock_on ? LOCK_NUM : 0) |
                        (states.scroll_lock_on ? LOCK_SCROLL : 0),
                    std::memory_order_release);
}

} // namespace

void lock_keys_post(const system_lock_states &states)
{
    lock_keys_post_read(states, lock_epoch.load(std::memory_order_acquire));
}

void lock_keys_sync()
{
    const uint32_t epoch = lock_epoch.load(std::memory_order_acquire);
    lock_keys_post_read(system_lock_states_read(), epoch);
}

void key_main_thread_poll()
{
    const uint32_t post = lock_post.exchange(0, std::memory_order_acq_rel);
    if (!(post & LOCK_POSTED))
        return;
    const uint32_t epoch = lock_epoch.load(std::memory_order_acquire) & LOCK_EPOCH_MASK;
    if (((post >> LOCK_EPOCH_SHIFT) & LOCK_EPOCH_MASK) != epoch)
        return;
    scroll_state_follow(post & LOCK_SCROLL);
    lock_key_follow(KEY_CAPS_LOCK, post & LOCK_CAPS, COMPANION_CAPS_LOCK);
    lock_key_follow(KEY_NUM_LOCK, post & LOCK_NUM, COMPANION_NUM_LOCK);
}

// The locks go first: pressed after a held Ctrl, Num Lock would act as Pause
// and Scroll Lock as Break. The Scroll Lock state is set last, since pressing
// the Scroll Lock key toggles it.
void keyboard_startup(const system_key_state &state)
{
    startup_press(state.locks.caps_lock_on, KEY_CAPS_LOCK, COMPANION_CAPS_LOCK);
    startup_press(state.locks.num_lock_on, KEY_NUM_LOCK, COMPANION_NUM_LOCK);
    startup_press(state.scroll_lock_down, KEY_SCROLL_LOCK, 302);
    modifiers_press(state);
    scroll_state_follow(state.locks.scroll_lock_on);
    bios_keyboard_flags_update();
    key_hit_ring_empty();
}

void keyboard_reset()
{
    key_held_reset();
    key_buffers_reset();
    key_events_reset();
    std::fill(std::begin(physical_codes), std::end(physical_codes), 0);
    lock_post.store(0);
    lock_epoch.store(0);
    key_companion_value.store(0);
    scancode_queue_reset();
    bios_keyboard_flags_update();
}
