// X's input method for the window, and the character-type locale it needs.
#include "display/text_input_x11.h"
#include "display/text_input.h"

#include "platform/latin1.h"

#include <X11/Xutil.h>

#include <cctype>
#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace
{

XIC input_context = nullptr;
bool utf8_locale = false; // X's plain lookups give UTF-8, else Latin-1

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
    return {false, false, keysym, text_decode({bytes, size_t(n > 0 ? n : 0)}, utf8_locale)};
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
    key_typed typed{false, composed, NoSymbol, {}};
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

key_typed text_input_lookup(const XKeyEvent &event)
{
    if (!input_context || event.type != KeyPress)
        return plain_lookup(event);
    XEvent e{};
    e.xkey = event;
    if (!XFilterEvent(&e, None))
        return context_lookup(event, false);
    Window window = event.window;
    XEvent composed;
    if (XCheckIfEvent(event.display, &composed, is_composed_press,
                      reinterpret_cast<XPointer>(&window)))
        return context_lookup(composed.xkey, true);
    return {true, false, NoSymbol, {}};
}
