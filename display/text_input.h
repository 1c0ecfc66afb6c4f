// Text typed into the window, as X's input method makes it of the keys.
//
// The input method is the one inside Xlib, with the compose table of the
// character-type locale: dead keys and the Compose key combine with the key
// after them into one character. The toolkit's event loop passes no event
// through XFilterEvent, which an input-method server would need for its own
// messages, so no server is asked for.
#pragma once

// Start-up, before any other thread runs (the locale is the process's):
// takes the user's character-type locale when it is UTF-8, Xlib knows it and
// it changes the case of the ASCII letters as C does, else C.UTF-8, else C.
// The program starts whatever the locale settings say. Only LC_CTYPE
// changes; numbers keep the C locale.
void text_input_locale_choose();
