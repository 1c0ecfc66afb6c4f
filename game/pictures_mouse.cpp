// Code-page-437 rows of the Mouse scene pictures. Each row is one PRINTed
// string; bytes above 126 and below 32 are written as escapes, with the row
// drawn beside it. The four routines take source lines 3600 to 3643, eleven
// each: ten PRINTs and the RETURN.
#include "game/pictures_mouse.h"

#include "game/game_basic.h"

// clang-format off
// the FOX facing the Mouse
const char *const mouse_picture_rows[MOUSE_PICTURE_ROWS] = {
    "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC", // ▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD    \xB3\\__/\xB3               \xDE", // ▌    │\__/│               ▐
    "\xDD    \xB3 \xE5 \xE5\xB3               \xDE", // ▌    │ σ σ│               ▐
    "\xDD  |\\\xB3  =_\x04)              \xDE", // ▌  |\│  =_♦)              ▐
    "\xDD  \xB3 \xB3U       O.-.O       \xDE", // ▌  │ │U       O.-.O       ▐
    "\xDD   \\\xB3 _ \xB3     \xAF\xA7\xAE        \xDE", // ▌   \│ _ │     »º«        ▐
    "\xDD     U U      }o{        \xDE", // ▌     U U      }o{        ▐
    "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF", // ▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀
};

// TARVO
const char *const tarvo_portrait_rows[MOUSE_PICTURE_ROWS] = {
    "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC", // ▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD    ( )__( )             \xDE", // ▌    ( )__( )             ▐
    "\xDD     \xB3 o o\xB3              \xDE", // ▌     │ o o│              ▐
    "\xDD     ( _\xDF )              \xDE", // ▌     ( _▀ )              ▐
    "\xDD     \xB3U  \xB3               \xDE", // ▌     │U  │               ▐
    "\xDD     \xB3   )               \xDE", // ▌     │   )               ▐
    "\xDD      U U                \xDE", // ▌      U U                ▐
    "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF", // ▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀
};

// the striped animal
const char *const striped_portrait_rows[MOUSE_PICTURE_ROWS] = {
    "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC", // ▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD       ^\xB3\xB3^              \xDE", // ▌       ^││^              ▐
    "\xDD      \xB3\xE9\xB3\xB3\xE9\xB3             \xDE", // ▌      │Θ││Θ│             ▐
    "\xDD     | \\ \x03/              \xDE", // ▌     | \ ♥/              ▐
    "\xDD     \xB3   \xB3               \xDE", // ▌     │   │               ▐
    "\xDD     W   W\xBF              \xDE", // ▌     W   W┐              ▐
    "\xDD      U U \xB3              \xDE", // ▌      U U │              ▐
    "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF", // ▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀
};

// ECHIDNA
const char *const echidna_portrait_rows[MOUSE_PICTURE_ROWS] = {
    "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC", // ▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD                         \xDE", // ▌                         ▐
    "\xDD      =\xF0\xF0\xF0               \xDE", // ▌      =≡≡≡               ▐
    "\xDD    =\xF0 \xF8\xD2\xF8\xF0              \xDE", // ▌    =≡ °╥°≡              ▐
    "\xDD   =\xF0  -\xBA \xF0              \xDE", // ▌   =≡  -║ ≡              ▐
    "\xDD   =\xF0 W  W               \xDE", // ▌   =≡ W  W               ▐
    "\xDD     U  U                \xDE", // ▌     U  U                ▐
    "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF", // ▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀
};

// clang-format on

namespace
{

// The routine's ten PRINTs from first_line, then its RETURN.
void print_picture(basic_procedure &p, uint32_t first_line, const char *const *rows)
{
    for (int32_t i = 0; i < MOUSE_PICTURE_ROWS; ++i)
        p.stmt(first_line + uint32_t(i), [&] { basic_print(text(rows[i])); });
    p.stmt(first_line + uint32_t(MOUSE_PICTURE_ROWS), [&] { game_return(); });
}

} // namespace

void draw_mouse_picture(basic_procedure &p)
{
    print_picture(p, 3600, mouse_picture_rows);
}

void draw_tarvo_portrait(basic_procedure &p)
{
    print_picture(p, 3611, tarvo_portrait_rows);
}

void draw_striped_portrait(basic_procedure &p)
{
    print_picture(p, 3622, striped_portrait_rows);
}

void draw_echidna_portrait(basic_procedure &p)
{
    print_picture(p, 3633, echidna_portrait_rows);
}
