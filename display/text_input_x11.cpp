// X's input method for the window, and the character-type locale it needs.
#include "display/text_input_x11.h"
#include "display/text_input.h"

#include "platform/latin1.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cctype>
#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace
{

XIC input_context = nullptr;
bool utf8_locale = false; // X's plain lookups give UTF-8, else Latin-1

// The presses the input method has kept for the sequence under way, oldest
// first.
constexpr size_t PENDING_KEYS = 8;
XKeyEvent pending[PENDING_KEYS];
size_t pending_count = 0;

// A key code the server never sends (its codes start at 8): a key with no
// symbol, which no sequence holds.
constexpr unsigned int PROBE_KEYCODE = 1;

bool codeset_is_utf8()
{
    return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

// The runtime folds the case of names and words with toupper, tolower and
// strcasecmp (files found whatever their case, SHELL's own commands), which
// the character-type locale steers: a Turkish one makes "i" and "I" two
// letters that do not match. Such a locale is not taken.
bool ascii_case_as_c()
{
    for (int c = 'a'; c <= 'z'; ++c)
        if (std::toupper(c) != c - 32 || std::tolower(c - 32) != c)
            return false;
    return true;
}

bool locale_take(const char *name)
{
    return std::setlocale(LC_CTYPE, name) && codeset_is_utf8() && ascii_case_as_c() &&
           XSupportsLocale();
}

// Text in the locale's encoding as characters; bytes of broken UTF-8 are
// left out.
std::u32string text_decode(std::string_view bytes, bool utf8)
{
    std::u32string text;
    for (size_t at = 0; at < bytes.size();) {
        const uint32_t c = utf8 ? utf8_next(bytes, at) : uint8_t(bytes[at++]);
        if (c != UTF8_BROKEN)
            text += char32_t(c);
    }
    return text;
}

key_typed plain_lookup(const XKeyEvent &event)
{
    XKeyEvent k = event;
    char bytes[32];
    KeySym keysym = NoSymbol;
    const int n = XLookupString(&k, bytes, sizeof bytes, &keysym, nullptr);
    return {false, false, keysym, text_decode({bytes, size_t(n > 0 ? n : 0)}, utf8_locale), {}};
}

key_typed context_lookup(const XKeyEvent &event, bool composed)
{
    XKeyEvent k = event;
    std::string bytes(64, '\0');
    KeySym keysym = NoSymbol;
    Status status = XLookupNone;
    int n = Xutf8LookupString(input_context, &k, bytes.data(), int(bytes.size()), &keysym, &status);
    if (status == XBufferOverflow) {
        bytes.assign(size_t(n), '\0');
        n = Xutf8LookupString(input_context, &k, bytes.data(), n, &keysym, &status);
    }
    key_typed typed{false, composed, NoSymbol, {}, {}};
    if (status == XLookupKeySym || status == XLookupBoth)
        typed.keysym = keysym;
    if ((status == XLookupChars || status == XLookupBoth) && n > 0)
        typed.text = text_decode({bytes.data(), size_t(n)}, true);
    return typed;
}

// The press the input method puts back into the queue, with key code 0, when
// it has composed a character.
Bool is_composed_press(Display *, XEvent *event, XPointer window)
{
    return event->type == KeyPress && event->xkey.keycode == 0 &&
           event->xkey.window == *reinterpret_cast<Window *>(window);
}

// A press through the input method: passed, composing a character, or kept.
key_typed filtered_lookup(const XKeyEvent &event)
{
    XEvent e{};
    e.xkey = event;
    if (!XFilterEvent(&e, None))
        return context_lookup(event, false);
    Window window = event.window;
    XEvent composed;
    if (XCheckIfEvent(event.display, &composed, is_composed_press,
                      reinterpret_cast<XPointer>(&window)))
        return context_lookup(composed.xkey, true);
    return {true, false, NoSymbol, {}, {}};
}

// Whether the press the input method just kept goes on with the sequence;
// the method keeps a press that breaks it off too, and then starts anew. A
// key no sequence holds tells the two apart: at the start the method lets it
// pass, in the middle of a sequence it ends the sequence, which is then fed
// to it again.
bool sequence_goes_on(const XKeyEvent &event)
{
    XEvent e{};
    e.xkey = event;
    e.xkey.keycode = PROBE_KEYCODE;
    if (!XFilterEvent(&e, None))
        return false;
    for (size_t i = 0; i <= pending_count; ++i) {
        e.xkey = i < pending_count ? pending[i] : event;
        XFilterEvent(&e, None);
    }
    return true;
}

// The spacing form of a dead key's accent, 0 for other keys.
char32_t dead_key_accent(const XKeyEvent &event)
{
    struct pair {
        KeySym dead;
        char32_t accent;
    };
    static constexpr pair table[] = {
        {XK_dead_grave, U'`'},       {XK_dead_acute, U'´'},     {XK_dead_circumflex, U'^'},
        {XK_dead_tilde, U'~'},       {XK_dead_macron, U'¯'},    {XK_dead_breve, U'˘'},
        {XK_dead_abovedot, U'˙'},    {XK_dead_diaeresis, U'¨'}, {XK_dead_abovering, U'˚'},
        {XK_dead_doubleacute, U'˝'}, {XK_dead_caron, U'ˇ'},     {XK_dead_cedilla, U'¸'},
        {XK_dead_ogonek, U'˛'},
    };
    const KeySym keysym = plain_lookup(event).keysym;
    for (const pair &p : table)
        if (p.dead == keysym)
            return p.accent;
    return 0;
}

// Whether a key types a character of its own: with neither Ctrl nor Alt,
// not on the keypad, and a printable character or a dead key's accent.
bool types_character(const XKeyEvent &event, const key_typed &typed)
{
    if (event.state & (ControlMask | Mod1Mask))
        return false;
    if (typed.swallowed)
        return dead_key_accent(event) != 0;
    if (typed.text.empty() || IsKeypadKey(typed.keysym))
        return false;
    for (const char32_t c : typed.text)
        if (c < U' ' || c == 0x7F)
            return false;
    return true;
}

// A press that broke the sequence off: the key as it is with no sequence
// under way (a dead key starts one of its own), after the accents of the
// sequence's dead keys when it types a character.
key_typed broken_sequence_key(const XKeyEvent &event)
{
    std::u32string accents;
    for (size_t i = 0; i < pending_count; ++i)
        if (const char32_t accent = dead_key_accent(pending[i]))
            accents += accent;
    text_input_sequence_end();
    key_typed typed = filtered_lookup(event);
    if (typed.swallowed)
        pending[pending_count++] = event;
    if (types_character(event, typed))
        typed.before = accents;
    return typed;
}

} // namespace

void text_input_locale_choose()
{
    if (!locale_take("") && !locale_take("C.UTF-8"))
        std::setlocale(LC_CTYPE, "C");
    utf8_locale = codeset_is_utf8();
    XSetLocaleModifiers("@im=none");
}

bool text_input_open(Display *display, Window window)
{
    XIM method = XOpenIM(display, nullptr, nullptr, nullptr);
    if (!method)
        return false;
    input_context = XCreateIC(method, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                              XNClientWindow, window, XNFocusWindow, window, nullptr);
    if (!input_context) {
        XCloseIM(method);
        return false;
    }
    XSetICFocus(input_context);
    return true;
}

// A press passed by the input method (a modifier key) leaves the sequence
// under way as it is.
key_typed text_input_lookup(const XKeyEvent &event)
{
    if (!input_context || event.type != KeyPress)
        return plain_lookup(event);
    const key_typed typed = filtered_lookup(event);
    if (typed.composed)
        pending_count = 0;
    if (!typed.swallowed)
        return typed;
    if (pending_count == 0 || (pending_count < PENDING_KEYS && sequence_goes_on(event))) {
        pending[pending_count++] = event;
        return typed;
    }
    return broken_sequence_key(event);
}

void text_input_sequence_end()
{
    pending_count = 0;
    if (!input_context)
        return;
    if (char *left = Xutf8ResetIC(input_context))
        XFree(left);
}
