// The DRAW statement: commands, the pen and the suspended strings of X.
#include "graphics/draw.h"

#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/small_ops.h"
#include "core/strings.h"
#include "screen/drawing.h"
#include "screen/drawing_internal.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace
{

struct vec {
    double x, y;
};

// One DRAW statement's working state, built afresh by every statement. It is
// process-wide because its stack of suspended strings is too large for the
// program thread's stack.
struct draw_run_state {
    image_slot *page;
    draw_cursor at;
    double pen_x, pen_y;
    uint32_t color;
    bool blind, no_update;
    double angle, scale, aspect, inverse_aspect;
    vec unit_up, unit_up_right, unit_right, unit_down_right;
    // Strings suspended by X, with 64-bit lengths and positions so a long
    // string resumes exactly where it left off.
    draw_cursor stack[DRAW_NESTING_LIMIT];
    uint32_t depth;
};

draw_run_state draw_run;

// The eight step commands: the unit vector they move along and its sign.
struct step_rule {
    uint8_t letter;
    vec draw_run_state::*unit;
    double sign;
};
constexpr step_rule step_rules[] = {
    {'U', &draw_run_state::unit_up, 1.0},        {'D', &draw_run_state::unit_up, -1.0},
    {'L', &draw_run_state::unit_right, -1.0},    {'R', &draw_run_state::unit_right, 1.0},
    {'E', &draw_run_state::unit_up_right, 1.0},  {'F', &draw_run_state::unit_down_right, 1.0},
    {'G', &draw_run_state::unit_up_right, -1.0}, {'H', &draw_run_state::unit_down_right, -1.0},
};

bool refuse(int32_t error = 5)
{
    error_raise(error);
    return false;
}

// The base vectors turned by the angle: positive angles turn the steps
// anticlockwise on the screen. The aspect stays in the x components.
void vectors_set(draw_run_state &s)
{
    double r = s.angle * 0.0174532925199433, sine = std::sin(r), cosine = std::cos(r);
    auto turn = [&](vec v) { return vec{v.x * cosine + v.y * sine, v.y * cosine - v.x * sine}; };
    s.unit_up = turn({0.0, -1.0});
    s.unit_up_right = turn({s.aspect, -1.0});
    s.unit_right = turn({s.aspect, 0.0});
    s.unit_down_right = turn({s.aspect, 1.0});
}

void angle_set(draw_run_state &s, double degrees)
{
    s.angle = s.page->draw_angle = degrees;
    vectors_set(s);
}

bool at_end(const draw_run_state &s)
{
    return s.at.position >= s.at.length;
}

uint8_t byte_here(const draw_run_state &s)
{
    return s.at.source[s.at.position];
}

void blanks_skip(draw_run_state &s)
{
    while (!at_end(s) && (byte_here(s) == ' ' || byte_here(s) == '\t'))
        s.at.position++;
}

// Steps past a comma; false (error 5) when the next byte is none.
bool comma_take(draw_run_state &s)
{
    if (at_end(s) || byte_here(s) != ',')
        return refuse();
    s.at.position++;
    return true;
}

// An argument that must be present and finite.
bool argument_read(draw_run_state &s, double *value)
{
    draw_number n = draw_number_read(&s.at);
    if (n.invalid || n.empty || !std::isfinite(n.value))
        return refuse();
    *value = n.value;
    return true;
}

// A colour: a whole number, of which the low 32 bits count.
bool colour_read(draw_run_state &s, uint32_t *colour)
{
    double value;
    int64_t whole;
    if (!argument_read(s, &value))
        return false;
    if (!double_to_int64_checked(value, &whole) || double(whole) != value)
        return refuse();
    *colour = uint32_t(whole);
    return true;
}

// A target coordinate the pen may take: finite and within the range of the
// single-precision graphics cursor.
bool target_valid(double v)
{
    return std::fabs(v) <= double(FLT_MAX);
}

// Draws from the pen to the target (unless B) and moves the pen there
// (unless N); both prefixes are then used up. A pen that is no number (the
// graphics cursor was none) has no pixel to draw from: only the move counts.
bool move_end(draw_run_state &s, double x, double y)
{
    if (!target_valid(x) || !target_valid(y))
        return refuse();
    if (!s.blind && std::isfinite(s.pen_x) && std::isfinite(s.pen_y))
        line_draw_clipped(round_double_to_int32(s.pen_x), round_double_to_int32(s.pen_y),
                          round_double_to_int32(x), round_double_to_int32(y), s.color);
    if (!s.no_update) {
        s.pen_x = x;
        s.pen_y = y;
    }
    s.blind = s.no_update = false;
    return true;
}

// U, D, L, R, E, F, G, H: a count of steps, 1 when none is given; negative
// counts move backwards and fractions count.
bool step_move(draw_run_state &s, const step_rule &rule)
{
    draw_number n = draw_number_read(&s.at);
    double count = n.empty ? 1.0 : n.value;
    if (n.invalid || !std::isfinite(count))
        return refuse();
    vec unit = s.*rule.unit;
    double dx = rule.sign * unit.x * count * s.inverse_aspect, dy = rule.sign * unit.y * count;
    return move_end(s, s.pen_x + dx * s.scale, s.pen_y + dy * s.scale);
}

// M x,y: a physical pixel of the page, or an offset along the turned and
// scaled axes when x begins with a sign.
bool point_move(draw_run_state &s)
{
    blanks_skip(s);
    if (at_end(s))
        return refuse();
    bool relative = byte_here(s) == '+' || byte_here(s) == '-';
    double x, y;
    if (!argument_read(s, &x) || !comma_take(s) || !argument_read(s, &y))
        return false;
    if (!relative)
        return move_end(s, x, y);
    double dx = (x * s.unit_right.x - y * s.unit_up.x) * s.inverse_aspect;
    double dy = x * s.unit_right.y - y * s.unit_up.y;
    return move_end(s, s.pen_x + dx * s.scale, s.pen_y + dy * s.scale);
}

// TA degrees (the T already read).
bool turn_angle(draw_run_state &s)
{
    blanks_skip(s);
    if (at_end(s) || (byte_here(s) | 0x20) != 'a')
        return refuse();
    s.at.position++;
    double degrees;
    if (!argument_read(s, &degrees))
        return false;
    angle_set(s, degrees);
    return true;
}

// A 0 to 3: quarter turns.
bool quarter_turn(draw_run_state &s)
{
    double quarters;
    if (!argument_read(s, &quarters))
        return false;
    if (quarters != 0.0 && quarters != 1.0 && quarters != 2.0 && quarters != 3.0)
        return refuse();
    angle_set(s, quarters * 90.0);
    return true;
}

bool scale_set(draw_run_state &s)
{
    double quarters;
    if (!argument_read(s, &quarters))
        return false;
    if (quarters < 0.0)
        return refuse();
    s.scale = s.page->draw_scale = quarters / 4.0;
    return true;
}

bool colour_set(draw_run_state &s)
{
    uint32_t colour;
    if (!colour_read(s, &colour))
        return false;
    s.color = s.page->draw_color = colour;
    return true;
}

// A pixel coordinate as a program coordinate of the page, as a single; values
// beyond the single range are held at its ends.
float logical_of(const image_slot *r, double pixel, int32_t view, float offset, float scale,
                 float corner)
{
    long double v = pixel;
    if (r->coord_mode == 2)
        v = window_unmap(v - view, offset, scale, corner);
    else if (r->coord_mode == 1)
        v -= view;
    if (std::isnan(v))
        return float(v);
    return float(std::fmax(std::fmin(v, (long double)FLT_MAX), -(long double)FLT_MAX));
}

void pen_logical(const draw_run_state &s, float *x, float *y)
{
    const image_slot *r = s.page;
    *x = logical_of(r, s.pen_x, r->view_offset_x, r->offset_x, r->scale_x, r->window_x1);
    *y = logical_of(r, s.pen_y, r->view_offset_y, r->offset_y, r->scale_y, r->window_y1);
}

// P fill,border: PAINT at the pen; later segments use the fill colour.
bool paint_at_pen(draw_run_state &s)
{
    uint32_t fill, border;
    if (!colour_read(s, &fill) || !comma_take(s) || !colour_read(s, &border))
        return false;
    float x, y;
    pen_logical(s, &x, &y);
    rt_paint(x, y, fill, border, nullptr, PAINT_FILL | PAINT_BORDER);
    if (error_pending.load(std::memory_order_relaxed))
        return false;
    s.color = fill;
    return true;
}

// X and a string reference: type byte 3 and the offset of a DOS string
// descriptor (length, then the offset of the characters).
bool string_run(draw_run_state &s)
{
    if (s.at.position + 2 >= s.at.length)
        return refuse();
    const uint8_t *b = s.at.source + s.at.position;
    if (b[0] != 3 || !emulated_dos_memory)
        return refuse();
    uint16_t offset = uint16_t(b[1] | b[2] << 8);
    s.at.position += 3;
    if (s.depth == DRAW_NESTING_LIMIT)
        return refuse(6);
    s.stack[s.depth++] = s.at;
    const uint8_t *area = emulated_dos_memory + DOS_STRING_AREA;
    uint16_t length, chars;
    std::memcpy(&length, area + offset, 2);
    std::memcpy(&chars, area + offset + 2, 2);
    s.at = {area + chars, length, 0};
    return true;
}

bool command_run(draw_run_state &s, uint8_t command)
{
    switch (command) {
    case ' ':
    case '\t':
    case ';':
        return true;
    case 'B':
        s.blind = true;
        return true;
    case 'N':
        s.no_update = true;
        return true;
    case 'M':
        return point_move(s);
    case 'T':
        return turn_angle(s);
    case 'A':
        return quarter_turn(s);
    case 'C':
        return colour_set(s);
    case 'S':
        return scale_set(s);
    case 'P':
        return paint_at_pen(s);
    case 'X':
        return string_run(s);
    }
    for (const step_rule &rule : step_rules)
        if (rule.letter == command)
            return step_move(s, rule);
    return refuse();
}

// Runs commands until the outermost string ends; false at an error.
bool commands_run(draw_run_state &s)
{
    for (;;) {
        if (at_end(s)) {
            if (s.depth == 0)
                return true;
            s.at = s.stack[--s.depth];
            continue;
        }
        uint8_t command = s.at.source[s.at.position++];
        if (command >= 'a' && command <= 'z')
            command -= 32;
        if (!command_run(s, command))
            return false;
    }
}

// The state at the start of a statement: angle and scale from the page (a
// stored value that is no finite number counts as 0 or 1), the pen from the
// graphics cursor, the colour the page was last drawn with.
void run_start(draw_run_state &s, image_slot *r, const string_descriptor *commands)
{
    s.page = r;
    s.angle = std::isfinite(r->draw_angle) ? r->draw_angle : 0.0;
    s.scale = std::isfinite(r->draw_scale) ? r->draw_scale : 1.0;
    s.aspect = mode_pixel_aspect(r->mode);
    s.inverse_aspect = 1.0 / s.aspect;
    vectors_set(s);
    s.pen_x = double(r->gfx_cursor_x);
    s.pen_y = double(r->gfx_cursor_y);
    if (r->coord_mode == 2) {
        s.pen_x = double(r->gfx_cursor_x) * r->scale_x + r->offset_x;
        s.pen_y = double(r->gfx_cursor_y) * r->scale_y + r->offset_y;
    }
    if (r->coord_mode != 0) {
        s.pen_x += r->view_offset_x;
        s.pen_y += r->view_offset_y;
    }
    s.color = r->draw_color;
    s.blind = s.no_update = false;
    s.depth = 0;
    s.at = {commands ? commands->chr : nullptr, commands ? commands->len : 0, 0};
}

} // namespace

void rt_draw(const string_descriptor *commands)
{
    image_slot *r = draw_page_get();
    if (!r)
        return;
    float cursor_x = r->gfx_cursor_x, cursor_y = r->gfx_cursor_y;
    run_start(draw_run, r, commands);
    if (!commands_run(draw_run)) {
        r->gfx_cursor_x = cursor_x;
        r->gfx_cursor_y = cursor_y;
        return;
    }
    pen_logical(draw_run, &r->gfx_cursor_x, &r->gfx_cursor_y);
}
