// Code-page-437 rows of the card and herb pictures; each row is one PRINTed
// string, drawn beside it.
#include "game/pictures_cards_herbs.h"

namespace
{

// The top and bottom rows of a 27-column frame: lower and upper half blocks.
constexpr char FRAME_TOP[] = "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC"
                             "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC";
constexpr char FRAME_BOTTOM[] = "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF"
                                "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF";

} // namespace

// One picture row per line, drawn in the comment beside it.
// clang-format off
// Tree: a round crown on a double trunk
const char *const card_tree_rows[PICTURE_ROWS] = {
    " \xDC\xDC\xDC\xDC\xDC ", //  ▄▄▄▄▄
    "\xDE     \xDD",          // ▐     ▌
    "\xDE OOO \xDD",          // ▐ OOO ▌
    "\xDEOOOOO\xDD",          // ▐OOOOO▌
    "\xDEOOOOO\xDD",          // ▐OOOOO▌
    "\xDE OOO \xDD",          // ▐ OOO ▌
    "\xDE  \xBA  \xDD",       // ▐  ║  ▌
    "\xDE  \xBA  \xDD",       // ▐  ║  ▌
    "\xDE  \xD0  \xDD",       // ▐  ╨  ▌
    " \xDF\xDF\xDF\xDF\xDF ", //  ▀▀▀▀▀
};

// Water: a shaded drop
const char *const card_water_rows[PICTURE_ROWS] = {
    " \xDC\xDC\xDC\xDC\xDC ",       //  ▄▄▄▄▄
    "\xDE     \xDD",                // ▐     ▌
    "\xDE  \xB1  \xDD",             // ▐  ▒  ▌
    "\xDE \xB1\xB1\xB1 \xDD",       // ▐ ▒▒▒ ▌
    "\xDE\xB1\xB1\xB1\xB0\xB1\xDD", // ▐▒▒▒░▒▌
    "\xDE\xB1\xB1\xB1\xB0\xB1\xDD", // ▐▒▒▒░▒▌
    "\xDE \xB1\xB1\xB1 \xDD",       // ▐ ▒▒▒ ▌
    "\xDE     \xDD",                // ▐     ▌
    "\xDE     \xDD",                // ▐     ▌
    " \xDF\xDF\xDF\xDF\xDF ",       //  ▀▀▀▀▀
};

// Fire: flames over crossed logs
const char *const card_fire_rows[PICTURE_ROWS] = {
    " \xDC\xDC\xDC\xDC\xDC ", //  ▄▄▄▄▄
    "\xDE     \xDD",          // ▐     ▌
    "\xDE     \xDD",          // ▐     ▌
    "\xDE  (  \xDD",          // ▐  (  ▌
    "\xDE ) ) \xDD",          // ▐ ) ) ▌
    "\xDE( ( (\xDD",          // ▐( ( (▌
    "\xDE \\ / \xDD",         // ▐ \ / ▌
    "\xDE / \\ \xDD",         // ▐ / \ ▌
    "\xDE     \xDD",          // ▐     ▌
    " \xDF\xDF\xDF\xDF\xDF ", //  ▀▀▀▀▀
};

// The back: a shaded frame
const char *const card_back_rows[PICTURE_ROWS] = {
    " \xDC\xDC\xDC\xDC\xDC ",       //  ▄▄▄▄▄
    "\xDE\xB1\xB2\xB2\xB2\xB1\xDD", // ▐▒▓▓▓▒▌
    "\xDE\xB2\xB1\xB1\xB1\xB2\xDD", // ▐▓▒▒▒▓▌
    "\xDE\xB2\xB1\xB0\xB1\xB2\xDD", // ▐▓▒░▒▓▌
    "\xDE\xB2\xB1\xB0\xB1\xB2\xDD", // ▐▓▒░▒▓▌
    "\xDE\xB2\xB1\xB0\xB1\xB2\xDD", // ▐▓▒░▒▓▌
    "\xDE\xB2\xB1\xB0\xB1\xB2\xDD", // ▐▓▒░▒▓▌
    "\xDE\xB2\xB1\xB1\xB1\xB2\xDD", // ▐▓▒▒▒▓▌
    "\xDE\xB1\xB2\xB2\xB2\xB1\xDD", // ▐▒▓▓▓▒▌
    " \xDF\xDF\xDF\xDF\xDF ",       //  ▀▀▀▀▀
};

// The Vole
const char *const vole_picture_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD                         \xDE",             // ▌                         ▐
    "\xDD                         \xDE",             // ▌                         ▐
    "\xDD    ( )__( )             \xDE",             // ▌    ( )__( )             ▐
    "\xDD     \xB3 o o\xB3              \xDE",       // ▌     │ o o│              ▐
    "\xDD     ( _\xDF )              \xDE",          // ▌     ( _▀ )              ▐
    "\xDD     U   \xB3     0.-.0     \xDE",          // ▌     U   │     0.-.0     ▐
    "\xDD     \xB3   )      \xF7\xA7\xF7      \xDE", // ▌     │   )      ≈º≈      ▐
    "\xDD      U U       )o(/     \xDE",             // ▌      U U       )o(/     ▐
    FRAME_BOTTOM,
};

// Pennyroyal
const char *const herb_pennyroyal_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD                         \xDE",          // ▌                         ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD       \x0F\xCE\x0F               \xDE", // ▌       ☼╬☼               ▐
    "\xDD        \xBA                \xDE",       // ▌        ║                ▐
    "\xDD       (\xBA)               \xDE",       // ▌       (║)               ▐
    FRAME_BOTTOM,
};

// Cotton Root Bark
const char *const herb_cotton_root_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD                         \xDE",          // ▌                         ▐
    "\xDD          {\x0F}            \xDE",       // ▌          {☼}            ▐
    "\xDD          {\x0F}            \xDE",       // ▌          {☼}            ▐
    "\xDD       {\x0F} \xB3 {\x0F}         \xDE", // ▌       {☼} │ {☼}         ▐
    "\xDD        \xB3 {\x0F} \xB3          \xDE", // ▌        │ {☼} │          ▐
    "\xDD       {\x0F} \xB3 {\x0F}         \xDE", // ▌       {☼} │ {☼}         ▐
    "\xDD        \xB3 {\x0F} \xB3          \xDE", // ▌        │ {☼} │          ▐
    "\xDD         \\ \xB3 /           \xDE",      // ▌         \ │ /           ▐
    FRAME_BOTTOM,
};

// Mugwort, drawn over the swamp without a frame
const char *const herb_mugwort_rows[MUGWORT_ROWS] = {
    "   {|}   ",  //    {|}
    "  {\\|/}  ", //   {\|/}
    "{\\ {|} /}", // {\ {|} /}
    "  {\\|/}  ", //   {\|/}
    "{\\ {|} /}", // {\ {|} /}
    "  {\\|/}  ", //   {\|/}
};

// Angelica Root
const char *const herb_angelica_rows[PICTURE_ROWS] = {
    FRAME_TOP,
    "\xDD                         \xDE",        // ▌                         ▐
    "\xDD        * * *            \xDE",        // ▌        * * *            ▐
    "\xDD       *_\\\xB3/_*           \xDE",    // ▌       *_\│/_*           ▐
    "\xDD       * /\xB3\\ *           \xDE",    // ▌       * /│\ *           ▐
    "\xDD        * \xB3 *            \xDE",     // ▌        * │ *            ▐
    "\xDD        \xB3\\\xB3              \xDE", // ▌        │\│              ▐
    "\xDD         \\\xB3/\xB3            \xDE", // ▌         \│/│            ▐
    "\xDD          \xB3/             \xDE",     // ▌          │/             ▐
    FRAME_BOTTOM,
};
// clang-format on
