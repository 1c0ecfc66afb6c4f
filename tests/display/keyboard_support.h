// What the keyboard tests share: a fresh keyboard for every test, and the
// ring, the BIOS buffer and the scan-code queue read back.
#pragma once

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "core/traps.h"
#include "display/keyboard.h"
#include "display/scancode_queue.h"
#include "screen/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// X key codes of a few keys (the Linux input code + 8).
constexpr uint32_t X_KEY_A = 38;
constexpr uint32_t X_KEY_ENTER = 36;
constexpr uint32_t X_KEY_TAB = 23;
constexpr uint32_t X_NO_SYMBOL = 0; // NoSymbol: a key without a symbol

class Keyboard : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dos_memory_reset();
        control_words_reset();
        errors_reset();
        strings_static_init();
        traps_static_init();
        key_trap_codes_fill();
        codepage_load();
        keyboard_reset();
    }
    void TearDown() override
    {
        keyboard_reset();
        traps_static_init();
        control_words_reset();
        errors_reset();
    }
};

inline std::vector<int32_t> ring_drain()
{
    std::vector<int32_t> codes;
    while (int32_t code = key_hit_next())
        codes.push_back(code);
    return codes;
}

inline std::string inkey()
{
    const string_descriptor *s = rt_inkey_str();
    return std::string(reinterpret_cast<const char *>(s->chr), size_t(s->len));
}

inline std::vector<uint8_t> scancodes_drain()
{
    std::vector<uint8_t> bytes;
    scancode_queue_push(0); // a marker the drain stops at
    for (uint8_t b; (b = scancode_queue_take()) != 0;)
        bytes.push_back(b);
    return bytes;
}

inline void press(int32_t code)
{
    keyboard_key_down_event(code);
}
inline void release(int32_t code)
{
    keyboard_key_up_event(code);
}
inline void tap(int32_t code)
{
    press(code);
    release(code);
}

inline uint8_t bios_byte(uint32_t address)
{
    return emulated_dos_memory[address];
}

// A modifier pressed through the toolkit, as the special-key callback does.
inline void modifier(int32_t toolkit_key, bool down)
{
    glut_special_key_translate(toolkit_key, down, 0);
}
constexpr int32_t SHIFT = 112, CTRL = 114, ALT = 116;
