// The entries of the four quests. Each quest brings its own scene; until it
// does, its menu entry (already wiped and coloured by the menu dispatch)
// leads straight back to the menu.
#include "game/scenes.h"

scene elemento_quest(basic_procedure &)
{
    return scene::menu_entry;
}
scene bamboo_forest_quest(basic_procedure &)
{
    return scene::menu_entry;
}
