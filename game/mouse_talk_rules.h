// The Mouse conversation apart from the screen statements: the screens that
// ask, and what each answer makes the Mouse say and where the talk goes next.
//
// The talk moves between scenes. A screen scene (the Mouse menu and the four
// topic screens) clears the screen, draws the Mouse picture, lists its
// options and asks; a question scene (the Badger, rumour and potion
// questions) only asks again on the next row. The answer, compared with the
// option digits by exact string equality, selects a response: a list of
// steps (a line, a blank line, a press-ENTER prompt, a flag set to 1) run in
// order, and the scene that follows. The herb request, the herb award, the
// walk-away and the leaving are scenes of their own that ask nothing first.
//
// Flags are SINGLE values, 0 or 1, tested for exactly 1 or exactly 0.
// Program thread only.
#pragma once

#include "game/game_state.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// The twelve flags set back to 0 on every entry into the quest, in order.
extern const std::array<float *, 12> mouse_visit_flags;

// ---- Scenes and responses ---------------------------------------------------

enum class mouse_scene : uint8_t {
    menu,
    herb_request,
    weather,
    local_affairs,
    personal_affairs,
    jokes,
    badger_question,
    rumour_question,
    potion_question,
    herb_award,
    walks_away,
    leave,
};

enum class mouse_step_kind : uint8_t {
    line,  // PRINT the text
    blank, // PRINT of nothing
    reply, // PRINT the prompt without a line end, INPUT into mouse_reply
    set,   // the flag = 1
};

struct mouse_step {
    mouse_step_kind kind;
    const char *text; // line and reply
    float *flag;      // set
};

// What an answer does: its steps, numbered from `line` on, then `next`.
struct mouse_response {
    uint32_t line;
    std::span<const mouse_step> steps;
    mouse_scene next;
};

// What a scene shows before it asks. A screen scene clears the screen, draws
// the Mouse picture and prints its option lines; a question scene prints
// nothing. Both then print the prompt and read mouse_answer.
struct mouse_screen {
    bool clears; // CLS and the Mouse picture first
    std::span<const char *const> options;
    const char *prompt;
    uint32_t line; // line of the CLS (screens) or of the INPUT (questions)
};

// Whether the scene asks a question (menu, topic screens, the three questions).
bool mouse_scene_asks(mouse_scene scene);

// The screen of an asking scene.
const mouse_screen &mouse_scene_screen(mouse_scene scene);

// The response of an asking scene to an answer. An answer that matches no
// option leads back to the same scene (a screen is shown again, a question
// asked again).
mouse_response mouse_answer_response(mouse_scene scene, std::string_view answer);

// The herb request's response, chosen by the flags: the refusal when the
// Mouse knows of the pregnancy, the herb when the potion was promised, a
// polite no after personal talk, else a flat no.
mouse_response mouse_herb_request_response();

// The four-flag test that opens the confession: small talk, local news and
// personal talk made, and the Badger named a close friend.
bool mouse_trusts_fox();

// The herb award's texts.
extern const char mouse_herb_won_text[];     // "You got the Herb!"
extern const char mouse_herb_again_text[];   // "Again..."
extern const char mouse_herb_back_prompt[];  // press ENTER to go back to the Clearing
extern const char mouse_walks_away_text[];   // "The Mouse walks away."
extern const char mouse_walks_away_prompt[]; // press ENTER to return to the clearing
extern const char mouse_walks_away_tune[];   // the walking-away tune
