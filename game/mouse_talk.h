// The Mouse conversation: FOX's quest for the Cotton Root Bark.
//
// The player talks the Mouse round through numbered menus answered with a
// digit and Enter (the screens and answers are in mouse_talk_rules.h). Every
// way out goes back to the menu entry: leaving with "0", the Mouse walking
// away, or the herb won.
//
// Statements are numbered by their source lines, 3000 to 3213 (see
// mouse_talk_rules.cpp); the GOSUB sites take the first eleven
// return points of the quests' range.
#pragma once

#include "core/basic.h"
#include "game/scenes.h"

// The quest, entered from the menu after its wipe and COLOR 5. Returns the
// menu entry.
scene mouse_talk_quest(basic_procedure &p);
