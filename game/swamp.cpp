// The swamp crossing's statements: the start, the frame loop, and the
// pig's step with its crossings, the smoke-bomb walk and the herb.
#include "game/swamp.h"

#include "core/rnd.h"
#include "core/small_ops.h"
#include "core/string_builtins.h"
#include "core/timing.h"
#include "display/keyboard.h"
#include "game/elemento_forest_return_points.h"
#include "game/game_basic.h"
#include "game/game_state.h"
#include "game/held_keys.h"
#include "game/pictures_cards_herbs.h"
#include "game/save_file.h"
#include "game/shared_routines.h"
#include "game/swamp_rules.h"
#include "sound/play_parser.h"

namespace
{

// Scan codes of the keys that steer the pig, and Esc's key code.
constexpr int16_t SCAN_W = 17, SCAN_A = 30, SCAN_S = 31, SCAN_D = 32;
constexpr int32_t KEY_ESC = 27;

constexpr const char *STING_TUNE = "MBL32E";
constexpr const char *LEAVE_TUNE = "MB<<L12GGGGEGL6>C>";
constexpr const char *SMOKE_TUNE = "MB<<<<L24FEE-DD-C>>>>";
constexpr const char *BLANKS_3 = "   ";
constexpr const char *BLANKS_6 = "      ";

// GOSUB sites of the quest.
enum : uint32_t {
    RP_SWAMP_START_RESET = RP_QUESTS_FIRST + 11,
    RP_SWAMP_START_FIELD,
    RP_SWAMP_START_PIG,
    RP_SWAMP_START_HORNET,
    RP_SWAMP_STEP_W,
    RP_SWAMP_STEP_S,
    RP_SWAMP_STEP_A,
    RP_SWAMP_STEP_D,
    RP_SWAMP_REDRAW_UP,
    RP_SWAMP_REDRAW_DOWN,
    RP_SWAMP_REDRAW_RIGHT,
    RP_SWAMP_REDRAW_LEFT,
    RP_SWAMP_ESC_WIPE,
    RP_SWAMP_REDRAW_HORNET,
    RP_SWAMP_STEP_PIG,
    RP_SWAMP_CROSS_RESET,
    RP_SWAMP_CROSS_FIELD,
    RP_SWAMP_WALK_FIELD,
    RP_SWAMP_WALK_NEST,
    RP_SWAMP_WALK_PIG,
    RP_SWAMP_HERB_FIELD,
    RP_SWAMP_HERB_PICTURE,
    RP_SWAMP_HERB_SAVE,
    RP_SWAMP_LEAVE_WIPE,
    RP_SWAMP_AGAIN_STEP,
    RP_SWAMP_AGAIN_FIELD,
    RP_SWAMP_AGAIN_PIG,
    RP_SWAMP_PIG_RIGHT,
    RP_SWAMP_PIG_LEFT,
};
static_assert(uint32_t(RP_SWAMP_PIG_LEFT) < uint32_t(RP_ELEMENTO_INTRO_VOLE));

template <typename Routine>
void gosub(basic_procedure &p, uint32_t line, uint32_t point, Routine &&routine)
{
    game_gosub(p, line, return_point(point), routine);
}

// A SINGLE as a LOCATE or SCREEN argument: BASIC rounds it to an integer.
int32_t whole(float value)
{
    return round_float_to_int32(value);
}

void locate(float row, float column)
{
    basic_locate(whole(row), whole(column));
}

// An element of a hornet array for hornet_index.
float &hornet(basic_array<float, 1, 5> &array)
{
    return array(whole(hornet_index));
}

bool facing(const char *direction)
{
    return string_equal(pig_facing, text(direction)) != 0;
}

// The stage mark on the track: LOCATE and PRINT.
void stage_mark(basic_procedure &p, uint32_t line)
{
    p.stmt(line, [&] { locate(9, stage_mark_column(swamp_stage)); });
    p.stmt(line + 1, [&] { basic_print(rt_chr_str(254)); });
}

// Six blanks over each row of the sprite at its old cell.
void pig_erase(basic_procedure &p, uint32_t line)
{
    for (int32_t r = 0; r < 6; ++r) {
        p.stmt(line++, [&] { locate(pig_row_old + float(r), pig_col_old); });
        p.stmt(line++, [&] { basic_print(text(BLANKS_6)); });
    }
}

// ---- Start ------------------------------------------------------------------

void swamp_start(basic_procedure &p)
{
    p.stmt(3300, [&] { key_buffers_clear(0, 0); });
    p.stmt(3301, [&] { rt_randomize(rt_timer(0, false), RANDOMIZE_SEED_GIVEN); });
    p.stmt(3302, [&] { rt_cls(0, 0, 0); });
    p.stmt(3303, [&] { pig_row = 15; });
    p.stmt(3304, [&] { pig_col = 8; });
    p.stmt(3305, [&] { pig_row_old = pig_row; });
    p.stmt(3306, [&] { pig_col_old = pig_col; });
    p.stmt(3307, [&] { hornet_index = 1; });
    p.stmt(3308, [&] { swamp_stage = 1; });
    p.stmt(3309, [&] { string_set(pig_facing, text("RIGHT")); });
    gosub(p, 3310, RP_SWAMP_START_RESET, [&] { swamp_hornets_reset(p); });
    p.stmt(3311, [&] { swamp_col_min = 8; });
    p.stmt(3312, [&] { swamp_col_max = 57; });
    p.stmt(3313, [&] { swamp_row_min = 11; });
    p.stmt(3314, [&] { swamp_row_max = 26; });
    gosub(p, 3315, RP_SWAMP_START_FIELD, [&] { draw_swamp_field(p); });
    gosub(p, 3316, RP_SWAMP_START_PIG, [&] { draw_pig(p); });
    gosub(p, 3317, RP_SWAMP_START_HORNET, [&] { draw_hornet(p); });
    stage_mark(p, 3318);
}

// ---- Frame loop -------------------------------------------------------------

bool room_up()
{
    return pig_row > swamp_row_min;
}
bool room_down()
{
    return pig_row < swamp_row_max - 5;
}
bool room_left()
{
    return pig_col > swamp_col_min;
}
bool room_right()
{
    return pig_col < swamp_col_max - 3;
}

// One of the four steering tests: the key, the room the pig needs, the move,
// the way it then faces (W and S keep it) and the GOSUB site of its step.
struct steering {
    uint32_t line;
    int16_t scan;
    bool (*room)();
    float *coordinate;
    float step;
    const char *facing;
    uint32_t point;
};

const steering steerings[] = {
    {3321, SCAN_W, room_up, &pig_row, -1, nullptr, RP_SWAMP_STEP_W},
    {3324, SCAN_S, room_down, &pig_row, 1, nullptr, RP_SWAMP_STEP_S},
    {3327, SCAN_A, room_left, &pig_col, -1, "LEFT", RP_SWAMP_STEP_A},
    {3331, SCAN_D, room_right, &pig_col, 1, "RIGHT", RP_SWAMP_STEP_D},
};

// A steering test: game_key_held is asked whatever the pig's place, and the
// pig moves when the key is held and there is room. True when its step left
// the quest.
bool steer(basic_procedure &p, const steering &s)
{
    bool go = false;
    p.stmt(s.line, [&] {
        int16_t code = s.scan;
        bool held = game_key_held(code) != 0;
        go = held && s.room();
    });
    if (!go)
        return false;
    uint32_t line = s.line + 1;
    p.stmt(line++, [&] { *s.coordinate = *s.coordinate + s.step; });
    if (s.facing)
        p.stmt(line++, [&] { string_set(pig_facing, text(s.facing)); });
    bool left = false;
    gosub(p, line, s.point, [&] { left = swamp_pig_step(p); });
    return left;
}

// The four steering tests of a frame, each on its own, so W and A held
// together move the pig diagonally with a step after each move.
bool swamp_steer(basic_procedure &p)
{
    for (const steering &s : steerings)
        if (steer(p, s))
            return true;
    return false;
}

// One direction's test of a hornet's flight and, after a move, its redraw.
void hornet_try(basic_procedure &p, uint32_t line, float dir, uint32_t point)
{
    bool moved = false;
    p.stmt(line, [&] {
        moved = hornet_dir == dir &&
                hornet_step(dir, hornet(hornet_row), hornet(hornet_col), swamp_limits_now());
    });
    if (moved)
        gosub(p, line + 1, point, [&] { swamp_hornet_redraw(p); });
}

// Esc: one key-hit entry is taken each frame, whatever it is. True on Esc,
// after the wipe.
bool swamp_escape(basic_procedure &p)
{
    bool esc = false;
    p.stmt(3368, [&] { esc = key_hit_next() == KEY_ESC; });
    if (esc)
        gosub(p, 3369, RP_SWAMP_ESC_WIPE, [&] { screen_wipe(p); });
    return esc;
}

enum class frame_end { next_frame, restart, leave };

frame_end swamp_frame(basic_procedure &p)
{
    p.stmt(3320, [&] { frame_rate_limit(20); });
    if (swamp_steer(p))
        return frame_end::leave;
    swamp_hornets_fly(p);
    if (swamp_pig_stung(p))
        return frame_end::restart;
    if (swamp_escape(p))
        return frame_end::leave;
    return frame_end::next_frame;
}

} // namespace

scene swamp_quest(basic_procedure &p)
{
    for (;;) {
        swamp_start(p);
        frame_end end = frame_end::next_frame;
        while (end == frame_end::next_frame)
            end = swamp_frame(p);
        if (end == frame_end::leave)
            return scene::menu_entry;
    }
}

void swamp_hornets_fly(basic_procedure &p)
{
    bool flying = false;
    p.stmt(3335, [&] { flying = swamp_stage < 6; });
    if (!flying)
        return;
    float last = 0;
    p.stmt(3336, [&] {
        hornet_index = 1;
        last = swamp_stage;
    });
    while (hornet_index <= last) {
        p.stmt(3337, [&] {
            float rnd = rt_rnd(0, false);
            hornet_dir = hornet_direction_from(rnd);
        });
        hornet_try(p, 3338, HORNET_UP, RP_SWAMP_REDRAW_UP);
        hornet_try(p, 3340, HORNET_DOWN, RP_SWAMP_REDRAW_DOWN);
        hornet_try(p, 3342, HORNET_RIGHT, RP_SWAMP_REDRAW_RIGHT);
        hornet_try(p, 3344, HORNET_LEFT, RP_SWAMP_REDRAW_LEFT);
        p.stmt(3346, [&] { hornet_index = hornet_index + 1; });
    }
}

bool swamp_pig_stung(basic_procedure &p)
{
    for (int32_t k = 1; k <= 16; ++k) {
        const cell_offset &o = pig_border_offsets[size_t(k - 1)];
        p.stmt(3346 + uint32_t(k), [&] {
            int32_t code =
                rt_screen_function(whole(pig_row + float(o.row)), whole(pig_col + float(o.col)), 0);
            pig_border_cells(k) = int16_t(code);
        });
    }
    p.stmt(3363, [&] { hornet_dir = 1; });
    while (hornet_dir <= 16) {
        bool stung = false;
        p.stmt(3364, [&] { stung = hornet_code(pig_border_cells(whole(hornet_dir))); });
        if (stung) {
            p.stmt(3365, [&] { rt_play(text(STING_TUNE)); });
            return true;
        }
        p.stmt(3367, [&] { hornet_dir = hornet_dir + 1; });
    }
    return false;
}

// ---- GOSUB routines -------------------------------------------------------------

void swamp_hornet_redraw(basic_procedure &p)
{
    for (int32_t test = 0; test < HORNET_CLAMP_TESTS; ++test)
        p.stmt(3380 + uint32_t(test), [&] {
            hornet_clamp_test(test, hornet(hornet_row), hornet(hornet_col), swamp_limits_now());
        });
    p.stmt(3384, [&] { locate(hornet(hornet_row_old), hornet(hornet_col_old)); });
    p.stmt(3385, [&] { basic_print(text(BLANKS_3)); });
    gosub(p, 3386, RP_SWAMP_REDRAW_HORNET, [&] { draw_hornet(p); });
    p.stmt(3387, [&] { hornet(hornet_row_old) = hornet(hornet_row); });
    p.stmt(3388, [&] { hornet(hornet_col_old) = hornet(hornet_col); });
    p.stmt(3389, [&] { game_return(); });
}

namespace
{

// The pig walks across by itself past the nest, which the smoke bomb burns.
void smoke_bomb_walk(basic_procedure &p)
{
    gosub(p, 3424, RP_SWAMP_WALK_FIELD, [&] { draw_swamp_field(p); });
    stage_mark(p, 3425);
    p.stmt(3427, [&] { pig_col = 8; });
    while (pig_col <= 55) {
        gosub(p, 3428, RP_SWAMP_WALK_NEST, [&] { draw_hornet_nest(p); });
        bool bomb = false;
        p.stmt(3429, [&] { bomb = pig_col < 40; });
        if (bomb) {
            p.stmt(3430, [&] { basic_locate(19, 38); });
            p.stmt(3431, [&] { basic_print(rt_chr_str(5)); });
        }
        pig_erase(p, 3432);
        gosub(p, 3444, RP_SWAMP_WALK_PIG, [&] { draw_pig(p); });
        p.stmt(3445, [&] { pig_col_old = pig_col; });
        p.stmt(3446, [&] { delay_seconds(0.1); });
        p.stmt(3447, [&] { pig_col = pig_col + 1; });
    }
    p.stmt(3448, [&] { swamp_stage = swamp_stage + 1; });
    p.stmt(3449, [&] { pig_col = 8; });
}

// The Mugwort drawn over the field, won and saved.
void herb_won(basic_procedure &p)
{
    gosub(p, 3451, RP_SWAMP_HERB_FIELD, [&] { draw_swamp_field(p); });
    gosub(p, 3452, RP_SWAMP_HERB_PICTURE, [&] { draw_herb_mugwort(p); });
    p.stmt(3453, [&] { basic_locate(20, 24); });
    p.stmt(3454, [&] { basic_print(text("YOU GOT THE HERB!")); });
    p.stmt(3455, [&] { herb_mugwort = MUGWORT_MARK; });
    gosub(p, 3456, RP_SWAMP_HERB_SAVE, [&] { save_progress(p); });
    p.stmt(3457, [&] { delay_seconds(2); });
}

// A crossing at the right wall: the next stage, and the pig back on the left.
// True when it was the last and the quest has been left.
bool crossing(basic_procedure &p)
{
    p.stmt(3418, [&] { swamp_stage = swamp_stage + 1; });
    p.stmt(3419, [&] { pig_col = 8; });
    bool test = false;
    p.stmt(3420, [&] { test = swamp_stage < 6; });
    if (test) {
        gosub(p, 3421, RP_SWAMP_CROSS_RESET, [&] { swamp_hornets_reset(p); });
        gosub(p, 3422, RP_SWAMP_CROSS_FIELD, [&] { draw_swamp_field(p); });
    }
    p.stmt(3423, [&] { test = swamp_stage == 6; });
    if (test)
        smoke_bomb_walk(p);
    p.stmt(3450, [&] { test = swamp_stage == 7; });
    if (test)
        herb_won(p);
    p.stmt(3458, [&] { test = swamp_stage == 11; });
    if (test) {
        p.stmt(3459, [&] { rt_play(text(LEAVE_TUNE)); });
        gosub(p, 3460, RP_SWAMP_LEAVE_WIPE, [&] { screen_wipe(p); });
        return true;
    }
    bool left = false;
    gosub(p, 3462, RP_SWAMP_AGAIN_STEP, [&] { left = swamp_pig_step(p); });
    if (left)
        return true;
    gosub(p, 3463, RP_SWAMP_AGAIN_FIELD, [&] { draw_swamp_field(p); });
    stage_mark(p, 3464);
    gosub(p, 3466, RP_SWAMP_AGAIN_PIG, [&] { draw_pig(p); });
    return false;
}

} // namespace

bool swamp_pig_step(basic_procedure &p)
{
    pig_erase(p, 3400);
    gosub(p, 3412, RP_SWAMP_STEP_PIG, [&] { draw_pig(p); });
    p.stmt(3413, [&] { pig_col_old = pig_col; });
    p.stmt(3414, [&] { pig_row_old = pig_row; });
    p.stmt(3415, [&] {
        int16_t code = 0;
        swamp_key_dummy = game_key_held(code);
    });
    bool crossed = false;
    p.stmt(3416, [&] { crossed = pig_at_crossing(pig_row, pig_col); });
    if (crossed && crossing(p)) {
        // The jump to the menu from inside the routine: its return point goes
        // with it, and the callers return up to the quest's caller.
        game_return();
        return true;
    }
    p.stmt(3467, [&] { game_return(); });
    return false;
}

void draw_swamp_field(basic_procedure &p)
{
    p.stmt(3470, [&] { basic_locate(1, 1); });
    for (uint32_t i = 0; i < 8; ++i)
        p.stmt(3471 + i, [&] { basic_print_line(); });
    for (int32_t row = SWAMP_FIELD_TOP; row <= SWAMP_FIELD_BOTTOM; ++row)
        p.stmt(3479 + uint32_t(row - SWAMP_FIELD_TOP),
               [&] { basic_print(string_from_buffer(swamp_field_row(row), SWAMP_FIELD_WIDTH)); });
    p.stmt(3498, [&] { game_return(); });
}

void draw_pig(basic_procedure &p)
{
    bool test = false;
    p.stmt(3500, [&] { test = facing("RIGHT"); });
    if (test)
        gosub(p, 3501, RP_SWAMP_PIG_RIGHT, [&] { draw_pig_right(p); });
    p.stmt(3502, [&] { test = facing("LEFT"); });
    if (test)
        gosub(p, 3503, RP_SWAMP_PIG_LEFT, [&] { draw_pig_left(p); });
    p.stmt(3504, [&] { game_return(); });
}

namespace
{

void draw_sprite(basic_procedure &p, uint32_t line, const std::array<const char *, 6> &rows)
{
    for (int32_t r = 0; r < 6; ++r) {
        p.stmt(line++, [&] { locate(pig_row + float(r), pig_col); });
        p.stmt(line++, [&] { basic_print(text(rows[size_t(r)])); });
    }
    p.stmt(line, [&] { game_return(); });
}

} // namespace

void draw_pig_right(basic_procedure &p)
{
    draw_sprite(p, 3505, pig_right_rows);
}

void draw_pig_left(basic_procedure &p)
{
    draw_sprite(p, 3518, pig_left_rows);
}

void draw_hornet(basic_procedure &p)
{
    p.stmt(3531, [&] { locate(hornet(hornet_row), hornet(hornet_col)); });
    p.stmt(3532, [&] { basic_print(text(hornet_picture)); });
    p.stmt(3533, [&] { game_return(); });
}

void swamp_hornets_reset(basic_procedure &p)
{
    uint32_t line = 3534;
    for (int32_t i = 1; i <= 5; ++i) {
        const swamp_cell &start = hornet_start_cells[size_t(i - 1)];
        p.stmt(line++, [&] { hornet_row(i) = start.row; });
        p.stmt(line++, [&] { hornet_col(i) = start.col; });
        p.stmt(line++, [&] { hornet_row_old(i) = start.row; });
        p.stmt(line++, [&] { hornet_col_old(i) = start.col; });
    }
    p.stmt(3554, [&] { game_return(); });
}

void draw_hornet_nest(basic_procedure &p)
{
    const hornet_nest_frame *frame = nullptr;
    p.stmt(3555, [&] { frame = hornet_nest_frame_for(pig_col); });
    if (frame) {
        uint32_t line = 3556;
        for (int32_t r = 0; r < 3; ++r) {
            p.stmt(line++, [&] { basic_locate(11 + r, 30); });
            p.stmt(line++, [&] { basic_print(text(frame->rows[size_t(r)])); });
        }
        if (frame->tune)
            p.stmt(3562, [&] { rt_play(text(SMOKE_TUNE)); });
    }
    p.stmt(3563, [&] { game_return(); });
}
