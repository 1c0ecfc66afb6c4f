// The game's scenes and how control passes between them.
//
// BASIC joins the scenes by GOTO: here every scene is a function that runs its
// statements and returns the scene to go to next, and game_main_module runs
// them one after another. The title screen comes once, after start-up; every
// quest and the ending go back to the menu entry, which redraws the menu with
// BADGER highlighted. SYSTEM (Esc on the title, QUIT) and RUN of the bonus
// program end the program from inside their scene.
#pragma once

#include "core/basic.h"

enum class scene {
    title,
    menu_entry,
    ending,
    elemento,      // TARVO's quest
    bamboo_forest, // ECHIDNA's quest
    swamp,         // PIG's quest
    mouse_talk,    // FOX's quest
    end,           // END after the menu dispatch
};

// The game's main module: start-up, the splash, the save load, then the
// scenes from the title screen on. Never returns.
void game_main_module();

scene title_screen(basic_procedure &p);
scene menu_scene(basic_procedure &p);
scene ending_sequence(basic_procedure &p);

// The quests, each entered from the menu dispatch after its wipe and colour.
scene elemento_quest(basic_procedure &p);
scene bamboo_forest_quest(basic_procedure &p);
scene swamp_quest(basic_procedure &p);
scene mouse_talk_quest(basic_procedure &p);

// GOSUB routines of the title and menu and of the story.
void draw_menu(basic_procedure &p);
void story_intro(basic_procedure &p);
