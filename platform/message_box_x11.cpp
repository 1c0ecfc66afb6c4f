// The message-box dialog drawn with Xlib: a fixed-size window with the
// caption as its title, the text line by line, and OK or Yes/No buttons.
//
// Every box opens its own connection and closes it when answered, so a box may
// be shown from any thread and never touches the window's connection.
#include "platform/message_box_x11.h"

#include "platform/latin1.h"
#include "platform/message_box.h"
#include "platform/os_environment.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int MARGIN_PX = 16;
constexpr int BUTTON_GAP_PX = 12;
constexpr int BUTTON_MIN_WIDTH_PX = 72;
constexpr int BUTTON_PAD_X_PX = 24;
constexpr int BUTTON_PAD_Y_PX = 6;
// Glyph size assumed when the server gives no font metrics at all.
constexpr int FALLBACK_CHAR_WIDTH_PX = 6;
constexpr int FALLBACK_ASCENT_PX = 11;
constexpr int FALLBACK_DESCENT_PX = 2;
constexpr int NO_ANSWER = -1;

struct box_button {
    const char *label;
    int result;
    int x, y, w, h;
};

struct box_dialog {
    Display *dpy = nullptr;
    Window win = 0;
    GC gc = nullptr;
    XFontStruct *font = nullptr; // metrics (and glyphs when loaded); may be null
    bool font_loaded = false;    // font came from XLoadQueryFont (else XQueryFont)
    int ascent = FALLBACK_ASCENT_PX;
    int descent = FALLBACK_DESCENT_PX;
    std::vector<std::string> lines;
    box_button buttons[2] = {};
    int button_count = 0;
    int pressed = -1; // button held down by the mouse
    int focused = 0;  // button that Enter and Space press
    int width = 0, height = 0;
    // The answer of Esc and of the close request: OK in an OK box, none in a
    // Yes/No box, which only its buttons answer.
    int dismiss_result = MESSAGE_BOX_RESULT_OK;
    bool yes_no = false;
    bool destroyed = false;
    Atom wm_delete = 0;
};

std::vector<std::string> text_lines(const char *text) {
    std::vector<std::string> lines;
    const char *start = text;
    for (const char *p = text;; ++p) {
        if (*p == '\n' || *p == '\0') {
            lines.emplace_back(start, p);
            if (*p == '\0') break;
            start = p + 1;
        }
    }
    return lines;
}

int text_width(const box_dialog &d, const char *s, size_t len) {
    if (d.font) return XTextWidth(d.font, s, int(len));
    return int(len) * FALLBACK_CHAR_WIDTH_PX;
}

// The core font "fixed"; failing that, the metrics of the GC's default font;
// failing that, fixed assumed metrics.
void dialog_font_load(box_dialog &d) {
    d.font = XLoadQueryFont(d.dpy, "fixed");
    if (d.font) {
        d.font_loaded = true;
        XSetFont(d.dpy, d.gc, d.font->fid);
    } else {
        d.font = XQueryFont(d.dpy, XGContextFromGC(d.gc));
    }
    if (d.font) {
        d.ascent = d.font->ascent;
        d.descent = d.font->descent;
    }
}

// Sizes the window to the text and the buttons (at most the screen's size)
// and places the buttons centred along the bottom.
void dialog_layout(box_dialog &d, int screen_w, int screen_h) {
    int line_h = d.ascent + d.descent;
    int text_w = 0;
    for (const std::string &line : d.lines)
        text_w = std::max(text_w, text_width(d, line.data(), line.size()));
    int button_w = BUTTON_MIN_WIDTH_PX;
    for (int i = 0; i < d.button_count; ++i) {
        const char *label = d.buttons[i].label;
        button_w = std::max(button_w, text_width(d, label, std::strlen(label)) + BUTTON_PAD_X_PX);
    }
    int button_h = line_h + 2 * BUTTON_PAD_Y_PX;
    int buttons_w = d.button_count * button_w + (d.button_count - 1) * BUTTON_GAP_PX;
    d.width = std::min(std::max(text_w, buttons_w) + 2 * MARGIN_PX, screen_w);
    int text_h = int(d.lines.size()) * line_h;
    d.height = std::min(text_h + button_h + 3 * MARGIN_PX, screen_h);
    int x = (d.width - buttons_w) / 2;
    for (int i = 0; i < d.button_count; ++i) {
        d.buttons[i].x = x + i * (button_w + BUTTON_GAP_PX);
        d.buttons[i].y = d.height - MARGIN_PX - button_h;
        d.buttons[i].w = button_w;
        d.buttons[i].h = button_h;
    }
}

// Title, close protocol, fixed size, dialog type and (system modal) a place
// above other windows.
void dialog_window_properties(box_dialog &d, const char *caption, uint32_t type, int x, int y) {
    // WM_NAME is Latin-1; _NET_WM_NAME wants UTF-8.
    XStoreName(d.dpy, d.win, caption);
    std::string utf8 = latin1_to_utf8(caption);
    XChangeProperty(d.dpy, d.win, XInternAtom(d.dpy, "_NET_WM_NAME", False),
                    XInternAtom(d.dpy, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(utf8.data()), int(utf8.size()));
    d.wm_delete = XInternAtom(d.dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d.dpy, d.win, &d.wm_delete, 1);

    XSizeHints size = {};
    size.flags = PPosition | PSize | PMinSize | PMaxSize;
    size.x = x;
    size.y = y;
    size.width = size.min_width = size.max_width = d.width;
    size.height = size.min_height = size.max_height = d.height;
    XSetWMNormalHints(d.dpy, d.win, &size);
    XWMHints wm = {};
    wm.flags = InputHint | StateHint;
    wm.input = True;
    wm.initial_state = NormalState;
    XSetWMHints(d.dpy, d.win, &wm);

    Atom dialog = XInternAtom(d.dpy, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(d.dpy, d.win, XInternAtom(d.dpy, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char *>(&dialog), 1);
    if (type & MESSAGE_BOX_SYSTEM_MODAL) {
        Atom above = XInternAtom(d.dpy, "_NET_WM_STATE_ABOVE", False);
        XChangeProperty(d.dpy, d.win, XInternAtom(d.dpy, "_NET_WM_STATE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char *>(&above), 1);
    }
}

// The focus mark: a dotted frame inside the button, in the label's colour.
void focus_draw(box_dialog &d, const box_button &b, unsigned long colour) {
    static const char dots[] = {1, 1};
    XSetForeground(d.dpy, d.gc, colour);
    XSetLineAttributes(d.dpy, d.gc, 0, LineOnOffDash, CapButt, JoinMiter);
    XSetDashes(d.dpy, d.gc, 0, dots, 2);
    XDrawRectangle(d.dpy, d.win, d.gc, b.x + 4, b.y + 4, b.w - 9, b.h - 9);
    XSetLineAttributes(d.dpy, d.gc, 0, LineSolid, CapButt, JoinMiter);
}

void dialog_draw(box_dialog &d) {
    Display *dpy = d.dpy;
    int screen = DefaultScreen(dpy);
    unsigned long black = BlackPixel(dpy, screen), white = WhitePixel(dpy, screen);
    XClearWindow(dpy, d.win);
    XSetForeground(dpy, d.gc, black);
    int line_h = d.ascent + d.descent;
    for (size_t i = 0; i < d.lines.size(); ++i)
        XDrawString(dpy, d.win, d.gc, MARGIN_PX, MARGIN_PX + int(i) * line_h + d.ascent,
                    d.lines[i].data(), int(d.lines[i].size()));
    for (int i = 0; i < d.button_count; ++i) {
        const box_button &b = d.buttons[i];
        bool down = i == d.pressed;
        XSetForeground(dpy, d.gc, black);
        if (down) XFillRectangle(dpy, d.win, d.gc, b.x, b.y, b.w, b.h);
        XDrawRectangle(dpy, d.win, d.gc, b.x, b.y, b.w - 1, b.h - 1);
        if (i == d.focused) { // the button Enter presses: a second frame
            XDrawRectangle(dpy, d.win, d.gc, b.x + 2, b.y + 2, b.w - 5, b.h - 5);
            focus_draw(d, b, down ? white : black);
        }
        int label_len = int(std::strlen(b.label));
        int label_w = text_width(d, b.label, label_len);
        XSetForeground(dpy, d.gc, down ? white : black);
        XDrawString(dpy, d.win, d.gc, b.x + (b.w - label_w) / 2, b.y + BUTTON_PAD_Y_PX + d.ascent,
                    b.label, label_len);
    }
    XFlush(dpy);
}

int button_at(const box_dialog &d, int x, int y) {
    for (int i = 0; i < d.button_count; ++i) {
        const box_button &b = d.buttons[i];
        if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h) return i;
    }
    return -1;
}

// The answer a key gives, or NO_ANSWER; the focus keys move the focus
// between the buttons of a Yes/No box.
int dialog_key(box_dialog &d, XKeyEvent *key) {
    char buf[8];
    KeySym sym = NoSymbol;
    XLookupString(key, buf, sizeof buf, &sym, nullptr);
    switch (sym) {
    case XK_Tab:
    case XK_ISO_Left_Tab: // Shift+Tab
    case XK_Left:
    case XK_Right:
    case XK_Up:
    case XK_Down:
    case XK_KP_Left:
    case XK_KP_Right:
    case XK_KP_Up:
    case XK_KP_Down:
        if (d.button_count > 1) {
            d.focused = (d.focused + 1) % d.button_count;
            dialog_draw(d);
        }
        return NO_ANSWER;
    case XK_space:
        return d.yes_no ? d.buttons[d.focused].result : NO_ANSWER;
    case XK_y:
    case XK_Y:
        return d.yes_no ? MESSAGE_BOX_RESULT_YES : NO_ANSWER;
    case XK_n:
    case XK_N:
        return d.yes_no ? MESSAGE_BOX_RESULT_NO : NO_ANSWER;
    case XK_Return:
    case XK_KP_Enter:
        return d.buttons[d.focused].result;
    case XK_Escape:
        return d.dismiss_result;
    default:
        return NO_ANSWER;
    }
}

// Takes keyboard focus once the window is viewable (asking earlier would be
// an X error).
void dialog_focus(box_dialog &d) {
    XWindowAttributes attrs;
    if (XGetWindowAttributes(d.dpy, d.win, &attrs) && attrs.map_state == IsViewable)
        XSetInputFocus(d.dpy, d.win, RevertToParent, CurrentTime);
}

// One event; returns the answer it gives or NO_ANSWER.
int dialog_event(box_dialog &d, XEvent &ev) {
    switch (ev.type) {
    case Expose:
        if (ev.xexpose.count == 0) dialog_draw(d);
        return NO_ANSWER;
    case MapNotify:
        dialog_focus(d);
        return NO_ANSWER;
    case KeyPress:
        return dialog_key(d, &ev.xkey);
    case ButtonPress:
        if (ev.xbutton.button == Button1) {
            d.pressed = button_at(d, ev.xbutton.x, ev.xbutton.y);
            dialog_draw(d);
        }
        return NO_ANSWER;
    case ButtonRelease: {
        if (ev.xbutton.button != Button1 || d.pressed < 0) return NO_ANSWER;
        int held = d.pressed;
        d.pressed = -1;
        if (button_at(d, ev.xbutton.x, ev.xbutton.y) == held) return d.buttons[held].result;
        dialog_draw(d);
        return NO_ANSWER;
    }
    case ClientMessage:
        if (Atom(ev.xclient.data.l[0]) == d.wm_delete) return d.dismiss_result;
        return NO_ANSWER;
    case DestroyNotify:
        // Someone else destroyed the window: no button can answer any more.
        if (ev.xdestroywindow.window != d.win) return NO_ANSWER;
        d.destroyed = true;
        return d.yes_no ? MESSAGE_BOX_RESULT_NO : MESSAGE_BOX_RESULT_OK;
    default:
        return NO_ANSWER;
    }
}

void dialog_buttons(box_dialog &d, uint32_t type) {
    d.yes_no = (type & 0xF) == MESSAGE_BOX_YES_NO;
    if (d.yes_no) {
        d.buttons[0] = {"Yes", MESSAGE_BOX_RESULT_YES, 0, 0, 0, 0};
        d.buttons[1] = {"No", MESSAGE_BOX_RESULT_NO, 0, 0, 0, 0};
        d.button_count = 2;
        d.dismiss_result = NO_ANSWER;
    } else {
        d.buttons[0] = {"OK", MESSAGE_BOX_RESULT_OK, 0, 0, 0, 0};
        d.button_count = 1;
        d.dismiss_result = MESSAGE_BOX_RESULT_OK;
    }
}

void dialog_close(box_dialog &d) {
    if (d.font_loaded)
        XFreeFont(d.dpy, d.font);
    else if (d.font)
        XFreeFontInfo(nullptr, d.font, 1);
    XFreeGC(d.dpy, d.gc);
    if (!d.destroyed) XDestroyWindow(d.dpy, d.win);
    XCloseDisplay(d.dpy);
}

} // namespace

int message_box_x11_show(const char *text, const char *caption, uint32_t type) {
    box_dialog d;
    d.dpy = XOpenDisplay(os_display_name());
    if (!d.dpy) return MESSAGE_BOX_FAILED;
    int screen = DefaultScreen(d.dpy);
    Window root = RootWindow(d.dpy, screen);
    d.lines = text_lines(text);
    dialog_buttons(d, type);
    d.gc = XCreateGC(d.dpy, root, 0, nullptr);
    dialog_font_load(d);
    int screen_w = DisplayWidth(d.dpy, screen), screen_h = DisplayHeight(d.dpy, screen);
    dialog_layout(d, screen_w, screen_h);
    int x = (screen_w - d.width) / 2, y = (screen_h - d.height) / 2;
    d.win = XCreateSimpleWindow(d.dpy, root, x, y, d.width, d.height, 1, BlackPixel(d.dpy, screen),
                                WhitePixel(d.dpy, screen));
    dialog_window_properties(d, caption, type, x, y);
    XSelectInput(d.dpy, d.win,
                 ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                     StructureNotifyMask);
    XMapRaised(d.dpy, d.win);

    int answer = NO_ANSWER;
    while (answer == NO_ANSWER) {
        XEvent ev;
        XNextEvent(d.dpy, &ev);
        answer = dialog_event(d, ev);
    }
    dialog_close(d);
    return answer;
}
