#include "core/gosub_stack.h"
#include "display/keyboard.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/game_test_support.h"
#include "game/save_file.h"
#include "game/scenes.h"

#include <cstring>
#include <span>

namespace
{

constexpr char OPEN = '\x16';

struct mouth_cell {
    const char *speaker;
    int32_t row, col;
};

const mouth_cell home_mouths[] = {{"TARVO", 16, 29}};
const mouth_cell forest_mouths[] = {
    {"PIG", 16, 12}, {"FOX", 16, 27}, {"ECHIDNA", 17, 40}, {"TARVO", 16, 54}};
const mouth_cell clearing_mouths[] = {
    {"TARVO", 16, 22}, {"FOX", 16, 30}, {"PIG", 16, 43}, {"ECHIDNA", 17, 53}};

// One expected prompt: its text, the mouths of its picture and which of them
// are open ("" none, else the speakers joined by blanks).
struct expected_prompt {
    const char *text;
    std::span<const mouth_cell> mouths;
    const char *open;
};

const expected_prompt intro[] = {
    {"TARVO: ...  ", home_mouths, ""},
    {"TARVO: Shit.", home_mouths, "TARVO"},
    {"FOX: Good morning, Tarvo!                   ", forest_mouths, "FOX"},
    {"TARVO: I'm Pregnant.                        ", forest_mouths, "TARVO"},
    {"FOX: ...                                    ", forest_mouths, ""},
    {"PIG: Congratulations?                       ", forest_mouths, "PIG"},
    {"TARVO: I'm not ready for this shit...       ", forest_mouths, "TARVO"},
    {"TARVO: I'm trying to focus on my career...  ", forest_mouths, "TARVO"},
    {"TARVO: I don't have a boyfriend...          ", forest_mouths, "TARVO"},
    {"TARVO: And I really don't wanna give birth. ", forest_mouths, "TARVO"},
    {"PIG: Well, what are you gonna do?           ", forest_mouths, "PIG"},
    {"TARVO: I don't know.                        ", forest_mouths, "TARVO"},
    {"FOX: Let's go see the old Medicine Badger...", forest_mouths, "FOX"},
    {"FOX: Maybe she can help you out.            ", forest_mouths, "FOX"},
    {"BADGER: Well...                                             ", clearing_mouths, ""},
    {"BADGER: There's a certain medicine that can end pregnancy...", clearing_mouths, ""},
    {"BADGER: Though, it doesn't always work.                     ", clearing_mouths, ""},
    {"TARVO: I'm willing to give it a try...                      ", clearing_mouths, "TARVO"},
    {"TARVO: Could you make me a batch?                           ", clearing_mouths, "TARVO"},
    {"BADGER: Yes, but I will need four specific herbs...         ", clearing_mouths, ""},
    {"BADGER: You'll have to gather them for me...                ", clearing_mouths, ""},
    {"BADGER: These Badger Bones are Brittle.                     ", clearing_mouths, ""},
    {"TARVO: Will you guys help me find them?                     ", clearing_mouths, "TARVO"},
    {"FOX: Yes.                                                   ", clearing_mouths, "FOX"},
    {"PIG: Of course.                                             ", clearing_mouths, "PIG"},
    {"ECHIDNA: This is so wise.                                   ", clearing_mouths, "ECHIDNA"},
    {"TARVO: Great, thank you, let's go!                          ", clearing_mouths, "TARVO"},
};

const expected_prompt ending[] = {
    {"TARVO: We're back with the herbs!        ", clearing_mouths, "TARVO"},
    {"BADGER: Great, I'll prepare the medicine.", clearing_mouths, ""},
    {"BADGER: Down the Hatch!                    ", clearing_mouths, ""},
    {"TARVO: Yuck, Bitter.                       ", clearing_mouths, "TARVO"},
    {"BADGER: Now go get some rest...            ", clearing_mouths, ""},
    {"BADGER: The medicine is taxing on the body.", clearing_mouths, ""},
    {"TARVO: It worked! Thanks for all of your help!", forest_mouths, "TARVO"},
    {"ALL: Yay!                                     ", forest_mouths, "PIG FOX ECHIDNA TARVO"},
    {"The End                ", forest_mouths, ""},
};

// The speakers whose mouths are open on a prompt's screen.
std::string open_mouths(const prompt_seen &seen, std::span<const mouth_cell> mouths)
{
    std::string open;
    for (const mouth_cell &m : mouths) {
        char c = seen.at(m.row, m.col);
        EXPECT_TRUE(c == OPEN || c == '_') << m.speaker << " shows " << int(c);
        if (c == OPEN)
            open += (open.empty() ? "" : " ") + std::string(m.speaker);
    }
    return open;
}

void expect_prompts(const std::vector<prompt_seen> &seen, std::span<const expected_prompt> want)
{
    ASSERT_GE(seen.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].text);
        size_t length = std::strlen(want[i].text);
        EXPECT_EQ(seen[i].rows[25].substr(4, length), want[i].text);
        EXPECT_EQ(seen[i].row, 26);
        EXPECT_EQ(seen[i].col, int32_t(5 + length));
        EXPECT_EQ(open_mouths(seen[i], want[i].mouths), want[i].open);
    }
}

class story_test : public game_test
{
  protected:
    void SetUp() override
    {
        game_test::SetUp();
        screen_setup();
        scene_clock_install();
        prompt_responder_install();
    }
};

TEST_F(story_test, the_introduction_speaks_its_27_lines_with_the_speakers_mouths_open)
{
    basic_procedure p;
    game_gosub(p, 1, RP_TITLE_STORY, [&] { story_intro(p); });
    EXPECT_EQ(gosub_count, 0u);
    ASSERT_EQ(prompts_seen().size(), std::size(intro));
    expect_prompts(prompts_seen(), intro);
    // The key buffers are empty for the first menu, and the screen is wiped.
    EXPECT_EQ(key_hit_next(), 0);
    EXPECT_EQ(chars_at(16, 1, 64), std::string(64, ' '));
}

TEST_F(story_test, the_ending_brings_the_herbs_saves_and_returns_to_the_menu)
{
    herb_angelica = ANGELICA_MARK;
    herb_pennyroyal = PENNYROYAL_MARK;
    herb_mugwort = MUGWORT_MARK;
    herb_cotton_root = COTTON_ROOT_MARK;
    basic_procedure p;
    EXPECT_EQ(ending_sequence(p), scene::menu_entry);
    EXPECT_EQ(gosub_count, 0u);
    const std::vector<prompt_seen> &seen = prompts_seen();
    ASSERT_EQ(seen.size(), std::size(ending) + 1);
    expect_prompts(seen, ending);

    // The herbs in the friends' hands, the cup and the closed eyes.
    EXPECT_EQ(seen[0].rows[16].substr(17, 23), "\x05=\xB3   U   \x05=\xB3  U\xB3 \xB3  \x05=");
    EXPECT_EQ(seen[0].rows[17].substr(51, 3), "\x05W ");
    EXPECT_EQ(seen[2].rows[16].substr(17, 2), "U=");
    EXPECT_EQ(seen[2].rows[14].substr(19, 3), "> <");
    // TARVO's belly is flat again the next day.
    EXPECT_EQ(seen[6].at(18, 52), '\xB3');
    // The last line at row 28 with PIG's mouth round.
    const prompt_seen &last = seen.back();
    EXPECT_EQ(last.row, 28);
    EXPECT_EQ(last.rows[27].substr(4, 24), "You unlocked Wobblenook!");
    EXPECT_EQ(last.at(16, 12), 'o');

    EXPECT_EQ(ending_seen, ENDING_SEEN_MARK);
    EXPECT_EQ(file_read_all(SAVE_FILE_NAME), "1710,2.6,2245,3032,400,0\r\n");
}

int64_t next_day_shown_ms, next_day_gone_ms;
bool next_day_key; // press a key 200 ms into "The Next Day..."

// Watches for "The Next Day..." and answers the prompts meanwhile.
void next_day_watch(uint32_t ms)
{
    bool shown = game_test::chars_at(17, 26, 15) == "The Next Day...";
    int64_t now = game_test::scene_clock_now();
    if (shown && next_day_shown_ms < 0)
        next_day_shown_ms = now;
    if (!shown && next_day_shown_ms >= 0 && next_day_gone_ms < 0)
        next_day_gone_ms = now;
    if (shown && next_day_key && now - next_day_shown_ms >= 200) {
        next_day_key = false;
        keyboard_key_down_event('x');
    }
    if (ms == 10) {
        keyboard_key_down_event(13);
        keyboard_key_up_event(13);
    }
}

TEST_F(story_test, the_next_day_stays_a_second_unless_a_key_is_pressed)
{
    for (bool key : {false, true}) {
        next_day_shown_ms = next_day_gone_ms = -1;
        next_day_key = key;
        scene_clock_on_sleep(next_day_watch);
        basic_procedure p;
        ending_sequence(p);
        ASSERT_GE(next_day_shown_ms, 0);
        // SLEEP, then the wipe blanks row 17 after 16 rows below it.
        int64_t shown_ms = next_day_gone_ms - next_day_shown_ms - 16 * 25;
        if (key) {
            EXPECT_LT(shown_ms, 300);
        } else {
            EXPECT_GE(shown_ms, 1000);
            EXPECT_LE(shown_ms, 1050);
        }
    }
}

} // namespace
