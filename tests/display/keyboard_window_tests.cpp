// The keyboard's window entry points: the toolkit's characters and special
// keys, X's key symbols, Unicode input, and releases by physical key.
#include "keyboard_support.h"

#include "display/key_table.h"
#include "platform/system_keys.h"

#include <X11/keysym.h>

namespace
{

TEST_F(Keyboard, ReleaseReleasesTheCodeThePhysicalKeyPressed)
{
    modifier(SHIFT, true);
    glut_key_translate('A', KEY_MOD_SHIFT, true, X_KEY_A);
    modifier(SHIFT, false);
    glut_key_translate('a', 0, false, X_KEY_A);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{KEY_SHIFT_LEFT, 'A', -KEY_SHIFT_LEFT, -'A'}));
    EXPECT_FALSE(key_is_down('A'));
    EXPECT_FALSE(key_is_down('a'));

    // Shift pressed while "a" repeats: the held "a" is let go for "A".
    glut_key_translate('a', 0, true, X_KEY_A);
    modifier(SHIFT, true);
    glut_key_translate('A', KEY_MOD_SHIFT, true, X_KEY_A);
    glut_key_translate('A', KEY_MOD_SHIFT, false, X_KEY_A);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{'a', KEY_SHIFT_LEFT, -'a', 'A', -'A'}));
    EXPECT_FALSE(key_is_down('a'));
}

TEST_F(Keyboard, CtrlLettersComeBackAsLettersButEnterTabAndBackspaceStay)
{
    modifier(CTRL, true);
    ring_drain();
    glut_key_translate(1, KEY_MOD_CTRL, true, 0);
    glut_key_translate(1, KEY_MOD_CTRL | KEY_MOD_SHIFT, true, 0);
    glut_key_translate(10, KEY_MOD_CTRL, true, 0);
    glut_key_translate(13, KEY_MOD_CTRL, true, X_KEY_ENTER);
    glut_key_translate(9, KEY_MOD_CTRL, true, X_KEY_TAB);
    glut_key_translate(127, KEY_MOD_CTRL, true, 0);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{'a', 'A', 13, 13, 9, KEY_DELETE}));
}

TEST_F(Keyboard, KeysThatXGivesAsCodeZeroTakeTheCharacterOfTheirSymbol)
{
    struct row {
        uint8_t key;
        uint32_t keysym;
        int32_t code;
        std::string inkey;
    };
    const row rows[] = {
        {0, XK_space, ' ', " "},
        {0, XK_2, '2', std::string("\0\x03", 2)},
        {0, XK_at, '@', std::string("\0\x03", 2)},
        {0, X_NO_SYMBOL, KEY_CODE_ZERO, std::string(1, '\0')}, // no character at all
        {1, XK_a, 'a', "\x01"},                                // not code 0: as before
    };
    modifier(CTRL, true);
    ring_drain();
    for (const row &r : rows) {
        x_key_translate(r.key, r.keysym, KEY_MOD_CTRL, true, 65);
        x_key_translate(r.key, r.keysym, KEY_MOD_CTRL, false, 65);
        EXPECT_EQ(ring_drain(), (std::vector<int32_t>{r.code, -r.code})) << r.keysym;
        EXPECT_EQ(inkey(), r.inkey) << r.keysym;
    }
}

// A key as the window layer hands it on: X's symbol and character, the
// event's modifiers (Num Lock among them, the others held as keys too), and
// for a key the toolkit reports as special its special-key number.
struct symbol_case {
    const char *name;
    uint32_t keysym;
    uint8_t x_character;
    int32_t special; // 0: the toolkit's keyboard callback
    uint32_t modifiers;
    int32_t ring;    // the press's entry in the key-hit ring
    uint8_t bios[2]; // the BIOS buffer's pair, {0, 0} for none
};

void symbol_key_tap(const symbol_case &c)
{
    const std::pair<uint32_t, int32_t> held[] = {
        {KEY_MOD_SHIFT, SHIFT}, {KEY_MOD_CTRL, CTRL}, {KEY_MOD_ALT, ALT}};
    for (const auto &[bit, key] : held)
        if (c.modifiers & bit)
            modifier(key, true);
    for (bool down : {true, false}) {
        if (c.special)
            x_special_key_translate(c.special, c.keysym, c.modifiers, down, 80);
        else
            x_key_translate(c.x_character, c.keysym, c.modifiers, down, 80);
    }
    for (const auto &[bit, key] : held)
        if (c.modifiers & bit)
            modifier(key, false);
}

TEST_F(Keyboard, KeysOfTheTableAreFoundByTheirSymbolWhateverCharacterXMadeOfThem)
{
    constexpr uint32_t S = KEY_MOD_SHIFT, C = KEY_MOD_CTRL, A = KEY_MOD_ALT, N = KEY_MOD_NUM_LOCK;
    const symbol_case cases[] = {
        {"Ctrl+3", XK_3, 27, 0, C, '3', {}},
        {"Ctrl+8", XK_8, 127, 0, C, '8', {}},
        {"Ctrl+/", XK_slash, 31, 0, C, '/', {}},
        {"Ctrl+Alt+3", XK_3, 27, 0, C | A, '3', {0, 0x7a}},
        {"Ctrl+Alt+]", XK_bracketright, 29, 0, C | A, ']', {0, 0x1b}},
        {"Ctrl+Alt+J", XK_j, 10, 0, C | A, 'j', {0, 0x24}},
        {"Shift+keypad 0, Num Lock off", XK_KP_Insert, 0, 108, S, KEY_INSERT, {'0', 82}},
        {"Shift+keypad 0, Num Lock on", XK_KP_Insert, 0, 108, S | N, KEY_INSERT, {0, 82}},
        {"Shift+keypad 9, Num Lock on", XK_KP_Prior, 0, 104, S | N, KEY_PAGE_UP, {0, 73}},
        {"Shift+keypad ., Num Lock on", XK_KP_Delete, 0, 111, S | N, KEY_DELETE, {0, 83}},
        {"Alt+Shift+keypad 1, Num Lock on", XK_KP_End, 0, 107, A | S | N, KEY_END, {}},
        {"Alt+keypad 7, Num Lock on", XK_KP_7, '7', 0, A | N, '7', {}},
        {"Ctrl+keypad 5, Num Lock off", XK_KP_Begin, 0, 110, C, KEY_CENTRE, {0, 0x8f}},
        {"Ctrl+keypad 8, Num Lock on", XK_KP_8, 127, 0, C | N, '8', {0, 0x8d}},
        {"Alt+keypad *", XK_KP_Multiply, '*', 0, A, '*', {0, 0x37}},
        {"Ctrl+keypad -", XK_KP_Subtract, 31, 0, C, '-', {0, 0x8e}},
        {"Alt+keypad Enter", XK_KP_Enter, 13, 0, A, 13, {0, 0xa6}},
        {"keypad 0, Num Lock on", XK_KP_0, '0', 0, N, '0', {'0', 82}},
        {"keypad +", XK_KP_Add, '+', 0, 0, '+', {'+', 78}},
        {"Ctrl+[", XK_bracketleft, 27, 0, C, '[', {27, 26}},
        {"Ctrl+6", XK_6, 30, 0, C, '6', {30, 7}},
        {"Ctrl+A with Caps Lock", XK_A, 1, 0, C, 'a', {1, 30}},
        {"Ctrl+Shift+a with Caps Lock", XK_a, 1, 0, C | S, 'A', {1, 30}},
        {"a symbol the table lacks", XK_eacute, 0xe9, 0, 0, 0xe9, {0xe9, 0}},
    };
    for (const symbol_case &c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t head = bios_byte(0x41A);
        symbol_key_tap(c);
        std::vector<int32_t> pressed;
        for (int32_t code : ring_drain())
            if (code > 0 && (code < KEY_NUM_LOCK || code > KEY_ALT_LEFT))
                pressed.push_back(code);
        EXPECT_EQ(pressed, std::vector<int32_t>{c.ring});
        if (c.bios[0] == 0 && c.bios[1] == 0) {
            EXPECT_EQ(inkey(), "");
            continue;
        }
        EXPECT_EQ(bios_byte(0x400 + head), c.bios[0]);
        EXPECT_EQ(bios_byte(0x401 + head), c.bios[1]);
        const std::string extended{'\0', char(c.bios[1])};
        EXPECT_EQ(inkey(), c.bios[0] ? std::string(1, char(c.bios[0])) : extended);
        EXPECT_EQ(inkey(), "");
    }
    // Only the main Enter's Alt+Enter switches full screen.
    EXPECT_FALSE(alt_enter_request_take());
    symbol_key_tap({"Alt+Enter", XK_Return, 13, 0, A, 0, {}});
    EXPECT_TRUE(alt_enter_request_take());
}

// The loop read Num Lock off just before a keypad key came with it on: that
// older reading is dropped, so Num Lock is not taken back and then pressed
// anew, which with Ctrl held would be Pause.
TEST_F(Keyboard, ALockReadingOlderThanAKeypadKeyIsDropped)
{
    lock_keys_post(system_lock_states{});
    modifier(CTRL, true);
    for (bool down : {true, false})
        x_key_translate(127, XK_KP_8, KEY_MOD_CTRL | KEY_MOD_NUM_LOCK, down, 80);
    key_main_thread_poll();
    EXPECT_TRUE(key_is_down(KEY_NUM_LOCK));
    system_lock_states on;
    on.num_lock_on = true;
    lock_keys_post(on);
    key_main_thread_poll();
    EXPECT_EQ(program_suspended.load() & 1, 0);
    EXPECT_EQ(inkey(), std::string("\0\x8d", 2));
    modifier(CTRL, false);
}

TEST_F(Keyboard, ShiftTabArrivesAsTabAndUnknownSymbolsAreLeftToTheToolkit)
{
    modifier(SHIFT, true);
    ring_drain();
    EXPECT_TRUE(key_x_keysym_event(XK_ISO_Left_Tab, KEY_MOD_SHIFT, true, X_KEY_TAB));
    EXPECT_TRUE(key_x_keysym_event(XK_ISO_Left_Tab, KEY_MOD_SHIFT, false, X_KEY_TAB));
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{9, -9}));
    EXPECT_EQ(inkey(), std::string("\0\x0f", 2));
    EXPECT_FALSE(key_x_keysym_event(XK_a, 0, true, X_KEY_A));
    EXPECT_EQ(ring_drain(), std::vector<int32_t>{});
}

TEST_F(Keyboard, UnicodeCharactersAndAltGr)
{
    struct row {
        uint32_t u;
        int32_t code;      // the ring's entry; its release is the negation
        std::string inkey; // empty: the character goes to the ring only
    };
    const row rows[] = {
        {0xE9, 130, "\x82"}, // é
        {0xDF, 225, "\xe1"}, // ß
        {0xA7, 21, "\x15"},  // §, a glyph form of a control code
        {0x263A, 1, "\x01"}, // ☺
        {0xFF21, 'A', "A"},  // full-width forms
        {0xFF01, '!', "!"},       {0xFF5E, '~', "~"},       {0x3000, ' ', " "}, // ideographic space
        {0x20AC, 0x400020AC, ""},                           // €, which the code page lacks
        {0x4E00, 0x40004E00, ""}, {0xFF5F, 0x4000FF5F, ""}, // past the full-width forms
    };
    for (const row &r : rows) {
        key_press_unicode(r.u, 90);
        key_release_unicode(r.u, 90);
        EXPECT_EQ(ring_drain(), (std::vector<int32_t>{r.code, -r.code})) << r.u;
        EXPECT_EQ(inkey(), r.inkey) << r.u;
        EXPECT_EQ(inkey(), "") << r.u;
    }

    // AltGr (left Ctrl with right Alt) typing "@" gives "@"; Alt+2 gives the
    // Alt code of that key.
    modifier(CTRL, true);
    modifier(117, true); // right Alt
    key_press_unicode('@', 0);
    EXPECT_EQ(inkey(), "@");
    tap('@');
    EXPECT_EQ(inkey(), std::string("\0\x79", 2));
}

// Keys as X's input method hands them on: a dead key's press gives nothing
// and neither does its release; the composed character is the press of the
// key that ended it, and that key's release is its negation, once.
TEST_F(Keyboard, InputMethodKeysPairTheirPressesAndReleases)
{
    constexpr uint32_t DEAD = 21, E = 26;
    key_press_swallowed(DEAD);
    x_text_key_translate(-1, XK_dead_circumflex, U"", 0, false, DEAD);
    x_text_key_translate(-1, XK_ecircumflex, U"ê", 0, true, E);
    x_text_key_translate('e', XK_e, U"e", 0, false, E);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{136, -136}));
    EXPECT_EQ(inkey(), "\x88");

    // A dead key then Space: the spacing character, a key of the table.
    key_press_swallowed(DEAD);
    x_text_key_translate(-1, XK_dead_circumflex, U"", 0, false, DEAD);
    x_text_key_translate(-1, XK_asciicircum, U"^", 0, true, 65);
    x_text_key_translate(' ', XK_space, U" ", 0, false, 65);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{'^', -'^'}));
    EXPECT_EQ(inkey(), "^");

    // Accents typed before a key: each pressed and released, the one the code
    // page lacks in the ring only.
    x_text_type(U"^´", 0);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{'^', -'^', 0x400000B4, -0x400000B4}));
    EXPECT_EQ(inkey(), "^");
    EXPECT_EQ(inkey(), "");

    // Alt held through a dead key and the composed character, the key let go
    // after Alt: nothing stays held.
    modifier(ALT, true);
    key_press_swallowed(DEAD);
    x_text_key_translate(-1, XK_eacute, U"é", KEY_MOD_ALT, true, E);
    modifier(ALT, false);
    x_text_key_translate(-1, XK_dead_acute, U"", 0, false, DEAD);
    x_text_key_translate('e', XK_e, U"e", 0, false, E);
    EXPECT_FALSE(key_is_down(130));
    EXPECT_FALSE(key_is_down('e'));

    // A text of two characters: the first typed at once, the second the key's.
    ring_drain();
    x_text_key_translate(-1, X_NO_SYMBOL, U"äx", 0, true, E);
    x_text_key_translate(-1, X_NO_SYMBOL, U"", 0, false, E);
    EXPECT_EQ(ring_drain(), (std::vector<int32_t>{132, -132, 'x', -'x'}));
    // A release whose press was never seen, with no text, gives nothing.
    x_text_key_translate(-1, X_NO_SYMBOL, U"", 0, false, E);
    EXPECT_EQ(ring_drain(), std::vector<int32_t>{});
}

} // namespace
