// The two cut scenes: the story introduction, once per run between the title
// and the first menu, and the ending, when the four herbs are brought (or
// replayed with E). Every line of dialogue is a prompt at row 26, column 5
// that waits for Enter; a speaker's mouth opens (character 22) before the
// line and closes ("_") after it.
#include "core/string_builtins.h"
#include "core/timing.h"
#include "display/keyboard.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/pictures.h"
#include "game/save_file.h"
#include "game/scenes.h"
#include "game/shared_routines.h"
#include "sound/play_parser.h"

#include <span>

namespace
{

// Statements count up from the scene's first number.
struct line_counter {
    uint32_t next;
    uint32_t operator()() { return next++; }
};

struct cell {
    int32_t row, col;
};

// Mouth cells in the three pictures.
constexpr cell HOME_TARVO{16, 29};
constexpr cell FOREST_PIG{16, 12}, FOREST_FOX{16, 27}, FOREST_ECHIDNA{17, 40}, FOREST_TARVO{16, 54};
constexpr cell CLEARING_TARVO{16, 22}, CLEARING_FOX{16, 30}, CLEARING_PIG{16, 43},
    CLEARING_ECHIDNA{17, 53};
constexpr cell NO_SPEAKER{0, 0};

constexpr int32_t PROMPT_ROW = 26;
constexpr int32_t PROMPT_COL = 5;

// Cursor shapes some prompts' LOCATE passes as well.
constexpr uint32_t LOCATE_SHAPE = LOCATE_ROW | LOCATE_COLUMN | LOCATE_START | LOCATE_STOP;

// One line of dialogue: whose mouth opens before it, and whether it closes
// after it.
struct story_line {
    cell opens;
    const char *prompt;
    bool closes;
};

void mouth(basic_procedure &p, line_counter &line, cell at, bool open)
{
    p.stmt(line(), [&] { basic_locate(at.row, at.col); });
    p.stmt(line(), [&] { basic_print(open ? rt_chr_str(22) : text("_")); });
}

// An open mouth whose LOCATE also passes a cursor shape.
void mouth_shaped(basic_procedure &p, line_counter &line, cell at, int32_t start, int32_t stop)
{
    p.stmt(line(), [&] { rt_locate(at.row, at.col, 0, start, stop, LOCATE_SHAPE); });
    p.stmt(line(), [&] { basic_print(rt_chr_str(22)); });
}

// INPUT with the prompt into enter_prompt_reply, after the LOCATE already made.
void prompt_input(basic_procedure &p, line_counter &line, const char *prompt)
{
    p.stmt(line(), [&] { basic_input(text(prompt), enter_prompt_reply); });
}

// The dialogue prompt at (26, 5).
void prompt(basic_procedure &p, line_counter &line, const char *prompt)
{
    p.stmt(line(), [&] { basic_locate(PROMPT_ROW, PROMPT_COL); });
    prompt_input(p, line, prompt);
}

// The same with the cursor shape start and stop given to its LOCATE.
void prompt_shaped(basic_procedure &p, line_counter &line, const char *prompt, int32_t start,
                   int32_t stop)
{
    p.stmt(line(), [&] { rt_locate(PROMPT_ROW, PROMPT_COL, 0, start, stop, LOCATE_SHAPE); });
    prompt_input(p, line, prompt);
}

void dialogue(basic_procedure &p, line_counter &line, std::span<const story_line> lines)
{
    for (const story_line &l : lines) {
        if (l.opens.row != 0)
            mouth(p, line, l.opens, true);
        prompt(p, line, l.prompt);
        if (l.closes)
            mouth(p, line, l.opens, false);
    }
}

const story_line forest_talk[] = {
    {FOREST_FOX, "FOX: Good morning, Tarvo!                   ", true},
    {FOREST_TARVO, "TARVO: I'm Pregnant.                        ", true},
    {NO_SPEAKER, "FOX: ...                                    ", false},
    {FOREST_PIG, "PIG: Congratulations?                       ", true},
    {FOREST_TARVO, "TARVO: I'm not ready for this shit...       ", false},
    {NO_SPEAKER, "TARVO: I'm trying to focus on my career...  ", false},
    {NO_SPEAKER, "TARVO: I don't have a boyfriend...          ", false},
};
const story_line forest_talk_end[] = {
    {FOREST_PIG, "PIG: Well, what are you gonna do?           ", true},
    {FOREST_TARVO, "TARVO: I don't know.                        ", true},
    {FOREST_FOX, "FOX: Let's go see the old Medicine Badger...", false},
};

const story_line clearing_talk[] = {
    {NO_SPEAKER, "BADGER: Well...                                             ", false},
    {NO_SPEAKER, "BADGER: There's a certain medicine that can end pregnancy...", false},
    {NO_SPEAKER, "BADGER: Though, it doesn't always work.                     ", false},
    {CLEARING_TARVO, "TARVO: I'm willing to give it a try...                      ", false},
};
const story_line clearing_talk_middle[] = {
    {NO_SPEAKER, "BADGER: Yes, but I will need four specific herbs...         ", false},
    {NO_SPEAKER, "BADGER: You'll have to gather them for me...                ", false},
    {NO_SPEAKER, "BADGER: These Badger Bones are Brittle.                     ", false},
    {CLEARING_TARVO, "TARVO: Will you guys help me find them?                     ", true},
    {CLEARING_FOX, "FOX: Yes.                                                   ", true},
    {CLEARING_PIG, "PIG: Of course.                                             ", true},
    {CLEARING_ECHIDNA, "ECHIDNA: This is so wise.                                   ", true},
};

// The forest scene of the introduction: TARVO tells the others.
void intro_forest(basic_procedure &p, line_counter &line)
{
    game_gosub(p, line(), RP_STORY_FOREST_WIPE, [&] { screen_wipe(p); });
    p.stmt(line(), [&] { rt_cls(0, 0, 0); });
    game_gosub(p, line(), RP_STORY_FOREST, [&] { draw_story_forest(p); });
    dialogue(p, line, forest_talk);
    prompt(p, line, "TARVO: And I really don't wanna give birth. ");
    mouth(p, line, FOREST_TARVO, false);
    dialogue(p, line, forest_talk_end);
    prompt(p, line, "FOX: Maybe she can help you out.            ");
    mouth(p, line, FOREST_FOX, false);
}

// The clearing scene of the introduction: the Badger asks for four herbs.
void intro_clearing(basic_procedure &p, line_counter &line)
{
    game_gosub(p, line(), RP_STORY_CLEARING_WIPE, [&] { screen_wipe(p); });
    p.stmt(line(), [&] { basic_locate(1, 1); });
    game_gosub(p, line(), RP_STORY_CLEARING, [&] { draw_story_clearing(p); });
    p.stmt(line(), [&] { delay_seconds(0.5); });
    dialogue(p, line, clearing_talk);
    prompt(p, line, "TARVO: Could you make me a batch?                           ");
    mouth(p, line, CLEARING_TARVO, false);
    dialogue(p, line, clearing_talk_middle);
    mouth_shaped(p, line, CLEARING_TARVO, 8, 8);
    prompt(p, line, "TARVO: Great, thank you, let's go!                          ");
    mouth(p, line, CLEARING_TARVO, false);
}

} // namespace

// Statements 500 onwards, in the order they run.
void story_intro(basic_procedure &p)
{
    line_counter line{500};
    game_gosub(p, line(), RP_STORY_HOME_WIPE, [&] { screen_wipe(p); });
    p.stmt(line(), [&] { rt_cls(0, 0, 0); });
    game_gosub(p, line(), RP_STORY_HOME, [&] { draw_story_home(p); });
    prompt_shaped(p, line, "TARVO: ...  ", 8, 0);
    mouth(p, line, HOME_TARVO, true);
    prompt(p, line, "TARVO: Shit.");
    mouth(p, line, HOME_TARVO, false);
    intro_forest(p, line);
    intro_clearing(p, line);
    game_gosub(p, line(), RP_STORY_END_WIPE, [&] { screen_wipe(p); });
    p.stmt(line(), [&] { key_buffers_clear(0, 0); });
    p.stmt(line(), [&] { game_return(); });
}

namespace
{

// What the friends hold when they come back: herbs (character 5) in their
// hands, over the clearing on row 17 from column 18 and row 18 from column 52.
constexpr const char *HERBS_HELD = "\x05=\xB3   U   \x05=\xB3  U\xB3 \xB3  \x05=";
constexpr const char *ECHIDNA_HERB = "\x05W ";

// The return to the clearing: the friends hand over the herbs and TARVO
// drinks the medicine.
void ending_medicine(basic_procedure &p, line_counter &line)
{
    game_gosub(p, line(), RP_ENDING_WIPE, [&] { screen_wipe(p); });
    p.stmt(line(), [&] { rt_cls(0, 0, 0); });
    game_gosub(p, line(), RP_ENDING_CLEARING, [&] { draw_story_clearing(p); });
    p.stmt(line(), [&] { rt_locate(17, 18, 0, 8, 0, LOCATE_SHAPE); });
    p.stmt(line(), [&] { basic_print(text(HERBS_HELD)); });
    p.stmt(line(), [&] { basic_locate(18, 52); });
    p.stmt(line(), [&] { basic_print(text(ECHIDNA_HERB)); });
    mouth(p, line, CLEARING_TARVO, true);
    prompt(p, line, "TARVO: We're back with the herbs!        ");
    mouth(p, line, CLEARING_TARVO, false);
    prompt(p, line, "BADGER: Great, I'll prepare the medicine.");

    game_gosub(p, line(), RP_ENDING_DRINK_WIPE, [&] { screen_wipe(p); });
    p.stmt(line(), [&] { rt_cls(0, 0, 0); });
    game_gosub(p, line(), RP_ENDING_DRINK_CLEARING, [&] { draw_story_clearing(p); });
    p.stmt(line(), [&] { basic_locate(17, 18); });
    p.stmt(line(), [&] { basic_print(text("U=")); });
    p.stmt(line(), [&] { basic_locate(15, 20); });
    p.stmt(line(), [&] { basic_print(text("> <")); });
    prompt(p, line, "BADGER: Down the Hatch!                    ");
    mouth(p, line, CLEARING_TARVO, true);
    prompt(p, line, "TARVO: Yuck, Bitter.                       ");
    mouth(p, line, CLEARING_TARVO, false);
    prompt(p, line, "BADGER: Now go get some rest...            ");
    prompt(p, line, "BADGER: The medicine is taxing on the body.");
}

// The next day in the forest: the medicine worked.
void ending_next_day(basic_procedure &p, line_counter &line)
{
    game_gosub(p, line(), RP_ENDING_NEXT_DAY_WIPE, [&] { screen_wipe(p); });
    p.stmt(line(), [&] { basic_locate(17, 26); });
    p.stmt(line(), [&] { basic_print(text("The Next Day...")); });
    p.stmt(line(), [&] { rt_sleep(1, true); });
    game_gosub(p, line(), RP_ENDING_FOREST_WIPE, [&] { screen_wipe(p); });
    p.stmt(line(), [&] { rt_cls(0, 0, 0); });
    game_gosub(p, line(), RP_ENDING_FOREST, [&] { draw_story_forest(p); });
    p.stmt(line(), [&] { basic_locate(18, 52); });
    p.stmt(line(), [&] { basic_print(rt_chr_str(179)); });
    mouth(p, line, FOREST_TARVO, true);
    prompt(p, line, "TARVO: It worked! Thanks for all of your help!");
    mouth(p, line, FOREST_FOX, true);
    mouth(p, line, FOREST_PIG, true);
    mouth(p, line, FOREST_ECHIDNA, true);
    prompt(p, line, "ALL: Yay!                                     ");
    for (cell speaker : {FOREST_FOX, FOREST_TARVO, FOREST_PIG, FOREST_ECHIDNA})
        mouth(p, line, speaker, false);
}

} // namespace

// Statements 700 onwards, in the order they run.
scene ending_sequence(basic_procedure &p)
{
    line_counter line{700};
    ending_medicine(p, line);
    ending_next_day(p, line);
    p.stmt(line(), [&] { rt_play(text("L8MB<<E,<<B>>B,<<G+>>E,<<E>>>>")); });
    prompt(p, line, "The End                ");
    p.stmt(line(), [&] { basic_locate(16, 12); });
    p.stmt(line(), [&] { basic_print(text("o")); });
    p.stmt(line(), [&] { rt_locate(28, 5, 0, 8, 8, LOCATE_SHAPE); });
    p.stmt(line(), [&] { rt_play(text("MB<<<<L50GG-EE->>>>")); });
    prompt_input(p, line, "You unlocked Wobblenook!");
    p.stmt(line(), [&] { ending_seen = ENDING_SEEN_MARK; });
    game_gosub(p, line(), RP_ENDING_SAVE, [&] { save_progress(p); });
    game_gosub(p, line(), RP_ENDING_LEAVE_WIPE, [&] { screen_wipe(p); });
    return scene::menu_entry;
}
