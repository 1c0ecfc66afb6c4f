// Code-page-437 rows of the title lettering and the menu faces. Each row is one PRINTed
// string; bytes above 126 and below 32 are written as escapes, with the row
// drawn beside it.
#include "game/pictures.h"

// clang-format off
// TARVO ZUDUZ
const char *const title_name_rows[5] = {
    "     \xB2\xB2\xB2\xB2  \xB2\xB2  \xB2\xB2\xB2  \xB2  \xB2  \xB2\xB2         \xB2\xB2\xB2\xB2 \xB2  \xB2 \xB2\xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2\xB2", //      ▓▓▓▓  ▓▓  ▓▓▓  ▓  ▓  ▓▓         ▓▓▓▓ ▓  ▓ ▓▓▓  ▓  ▓ ▓▓▓▓
    "      \xB2\xB2  \xB2  \xB2 \xB2  \xB2 \xB2  \xB2 \xB2  \xB2           \xB2 \xB2  \xB2 \xB2  \xB2 \xB2  \xB2    \xB2", //       ▓▓  ▓  ▓ ▓  ▓ ▓  ▓ ▓  ▓           ▓ ▓  ▓ ▓  ▓ ▓  ▓    ▓
    "      \xB1\xB1  \xB1\xB1\xB1\xB1 \xB1\xB1\xB1  \xB1  \xB1 \xB1  \xB1         \xB1\xB1  \xB1  \xB1 \xB1  \xB1 \xB1  \xB1  \xB1\xB1", //       ▒▒  ▒▒▒▒ ▒▒▒  ▒  ▒ ▒  ▒         ▒▒  ▒  ▒ ▒  ▒ ▒  ▒  ▒▒
    "      \xB0\xB0  \xB0  \xB0 \xB0 \xB0   \xB0\xB0  \xB0  \xB0        \xB0    \xB0  \xB0 \xB0  \xB0 \xB0  \xB0 \xB0", //       ░░  ░  ░ ░ ░   ░░  ░  ░        ░    ░  ░ ░  ░ ░  ░ ░
    "      \xB0\xB0  \xB0  \xB0 \xB0  \xB0  \xB0\xB0   \xB0\xB0         \xB0\xB0\xB0\xB0 \xB0\xB0\xB0\xB0 \xB0\xB0\xB0  \xB0\xB0\xB0\xB0 \xB0\xB0\xB0\xB0", //       ░░  ░  ░ ░  ░  ░░   ░░         ░░░░ ░░░░ ░░░  ░░░░ ░░░░
};

// FOUR HERBS
const char *const title_herbs_rows[5] = {
    "         \xB2\xB2\xB2\xB2  \xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2    \xB2  \xB2 \xB2\xB2\xB2\xB2 \xB2\xB2\xB2  \xB2\xB2\xB2   \xB2\xB2\xB2", //          ▓▓▓▓  ▓▓  ▓  ▓ ▓▓▓    ▓  ▓ ▓▓▓▓ ▓▓▓  ▓▓▓   ▓▓▓
    "         \xB2    \xB2  \xB2 \xB2  \xB2 \xB2  \xB2   \xB2  \xB2 \xB2    \xB2  \xB2 \xB2  \xB2 \xB2", //          ▓    ▓  ▓ ▓  ▓ ▓  ▓   ▓  ▓ ▓    ▓  ▓ ▓  ▓ ▓
    "         \xB2\xB2\xB2  \xB2  \xB2 \xB2  \xB2 \xB2\xB2\xB2    \xB2\xB2\xB2\xB2 \xB2\xB2\xB2  \xB2\xB2\xB2  \xB2\xB2\xB2   \xB2\xB2", //          ▓▓▓  ▓  ▓ ▓  ▓ ▓▓▓    ▓▓▓▓ ▓▓▓  ▓▓▓  ▓▓▓   ▓▓
    "         \xB2    \xB2  \xB2 \xB2  \xB2 \xB2 \xB2    \xB2  \xB2 \xB2    \xB2 \xB2  \xB2  \xB2    \xB2", //          ▓    ▓  ▓ ▓  ▓ ▓ ▓    ▓  ▓ ▓    ▓ ▓  ▓  ▓    ▓
    "         \xB2     \xB2\xB2  \xB2\xB2\xB2\xB2 \xB2  \xB2   \xB2  \xB2 \xB2\xB2\xB2\xB2 \xB2  \xB2 \xB2\xB2\xB2  \xB2\xB2\xB2", //          ▓     ▓▓  ▓▓▓▓ ▓  ▓   ▓  ▓ ▓▓▓▓ ▓  ▓ ▓▓▓  ▓▓▓
};

// ONE QUEST
const char *const title_quest_rows[5] = {
    "                   \xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2\xB2    \xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2\xB2  \xB2\xB2\xB2 \xB2\xB2\xB2\xB2", //                    ▓▓  ▓  ▓ ▓▓▓▓    ▓▓  ▓  ▓ ▓▓▓▓  ▓▓▓ ▓▓▓▓
    "                  \xB2  \xB2 \xB2\xB2 \xB2 \xB2      \xB2  \xB2 \xB2  \xB2 \xB2    \xB2     \xB2\xB2", //                   ▓  ▓ ▓▓ ▓ ▓      ▓  ▓ ▓  ▓ ▓    ▓     ▓▓
    "                  \xB2  \xB2 \xB2 \xB2\xB2 \xB2\xB2\xB2    \xB2  \xB2 \xB2  \xB2 \xB2\xB2\xB2   \xB2\xB2   \xB2\xB2", //                   ▓  ▓ ▓ ▓▓ ▓▓▓    ▓  ▓ ▓  ▓ ▓▓▓   ▓▓   ▓▓
    "                  \xB2  \xB2 \xB2  \xB2 \xB2      \xB2 \xB2  \xB2  \xB2 \xB2       \xB2  \xB2\xB2", //                   ▓  ▓ ▓  ▓ ▓      ▓ ▓  ▓  ▓ ▓       ▓  ▓▓
    "                   \xB2\xB2  \xB2  \xB2 \xB2\xB2\xB2\xB2    \xB2 \xB2 \xB2\xB2\xB2\xB2 \xB2\xB2\xB2\xB2 \xB2\xB2\xB2   \xB2\xB2", //                    ▓▓  ▓  ▓ ▓▓▓▓    ▓ ▓ ▓▓▓▓ ▓▓▓▓ ▓▓▓   ▓▓
};

// menu faces
const char *const menu_picture_rows[6] = {
    "       ( )__( )                     \x7F__\x7F          \xB3\\__/\xB3", //        ( )__( )                     ⌂__⌂          │\__/│
    "        \xB3 o o\xB3         =\xF0\xF0\xF0        \xB3 o o\xB3         \xB3 \xE5 \xE5\xB3", //         │ o o│         =≡≡≡        │ o o│         │ σ σ│
    "        ( _\xDF )       =\xF0 \xF8\xD2\xF8\xF0       ( _\xEC )       |\\\xB3  =_\x04)", //         ( _▀ )       =≡ °╥°≡       ( _∞ )       |\│  =_♦)
    "        U   \xB3       =\xF0  -\xBA \xF0       U   \xB3        \xB3 \xB3U   ", //         U   │       =≡  -║ ≡       U   │        │ │U   
    "        \xB3   )       =\xF0 W  W        (   )         \\\xB3 _ \xB3", //         │   )       =≡ W  W        (   )         \│ _ │
    "         U U          U  U          U U            U U", //          U U          U  U          U U            U U
};
// clang-format on
