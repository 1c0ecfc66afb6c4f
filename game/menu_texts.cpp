#include "game/menu_texts.h"

const char *const menu_names_line = "        TARVO        ECHIDNA        PIG            FOX ";
const char *const menu_badger_quit_line =
    "  BADGER                                                   QUIT ";
const char *const menu_choose_line = "                     CHOOSE AN ANIMAL...";

const char *const badger_help_seen = "Press 'E' to watch the Ending again.";
const char *const badger_help_not_seen = "Come back to me when you have retrieved all 4 Herbs.";
const char *const badger_help_bonus = "Press 'P' to exit and play 'Wobblenook'.";

namespace
{

const char *const badger_lines[] = {
    "Press 'A' or 'D' to highlight an animal.",
    "Press 'ENTER' to select them.",
    "Press 'SPACE BAR' to see the credits.",
    "Press 'ALT' + 'ENTER' to toggle Fullscreen.",
    "Select 'QUIT' to quit.",
};

const char *const tarvo_lines[] = {
    "The local Gin distiller has a surplus of Angelica Root.",
    "Beat him at 'Elemento', a bizarre card game of his creation.",
    "Memorize his cards and then select each card's opposite.",
    "Fire beats Tree; Tree beats Water; Water beats Fire.",
    "Beat him at three variations of Elemento to get the Herb.",
    "Use 'A' and 'D' to cycle through cards.",
    "Press 'ENTER' to select a card.",
    "Press 'ESC' at any time to return to this menu.",
};

const char *const echidna_lines[] = {
    "There is a patch of Pennyroyal deep in the bamboo forest.",
    "Navigate the maze of bamboo and find the herb.",
    "Then, bring the herb all of the way back to the clearing.",
    "Type the direction (In all Caps) that you want to go.",
    "Some paths are blocked by obstacles. Find a detour.",
    "Type the obstacle name to get a closer look.",
    "Type 'QUIT' at any time to return to this menu.",
};

const char *const pig_lines[] = {
    "There is a patch of Mugwort deep in the swamp.",
    "Sadly, hornets have built their hive near the patch.",
    "Navigate the swamp while dodging hornets.",
    "Then, smoke bomb the nest and return to the clearing.",
    "Use 'WASD' to move.",
    "Hornets can't reach you on the far left of the screen.",
    "If you get stung you start all over, so be patient!",
    "Press 'ESC' at any time to return to this menu.",
};

const char *const fox_lines[] = {
    "The local Cotton Farmer has plenty of Cotton Root Bark.",
    "Sadly, he is not charitable in the least.",
    "Use your wit to convince the farmer to part with some crop.",
    "Since he's a Mouse he's easily intimidated, so be cautious!",
    "If the Mouse ditches you, you'll have to start over.",
    "Select '0' at any time to return to this menu.",
};

const char *const quit_lines[] = {"Quit the Game (Progress is autosaved)."};

} // namespace

const std::span<const char *const> badger_help = badger_lines;
const std::span<const char *const> tarvo_help = tarvo_lines;
const std::span<const char *const> echidna_help = echidna_lines;
const std::span<const char *const> pig_help = pig_lines;
const std::span<const char *const> fox_help = fox_lines;
const std::span<const char *const> quit_help = quit_lines;

const char *const credit_lines[CREDIT_LINES] = {
    "  ***********CREATED BY**********                               ",
    "         Nettlefern Games                                       ",
    "                                                                ",
    "  *********CHARACTERS BY*********                               ",
    "     The Nettlefern Sketchbook                                  ",
    "                                                                ",
    "  *********PROGRAMMED BY*********                               ",
    "      The Nettlefern Workshop                                   ",
    "                                                                ",
    "       Thank you for playing!                                   ",
};
