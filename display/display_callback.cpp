// The display callback, the reshape callback and the redisplay timer: the
// main thread's drawing of each frame.
#include "display/display_callback.h"

#include "core/control_words.h"
#include "core/timing.h"
#include "display/display_layers.h"
#include "display/frame_ring.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/hgc_queue.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "display/software_screen.h"
#include "display/window_layer.h"
#include "display/window_requests.h"
#include "platform/clock.h"

namespace
{

constexpr uint32_t TIMER_SELF_SLEEP_MS = 4;
constexpr int32_t FIRST_LAYER_POSITION = 1;
constexpr int32_t LAST_LAYER_POSITION = 4;

int32_t bar_image = 0; // 1 x 1 transparent black hardware image, made on first use

void window_actions_apply(const window_actions &actions)
{
    if (actions.reshape)
        window_layer_reshape(actions.size.width, actions.size.height);
    if (actions.full_screen)
        window_layer_full_screen();
    if (actions.redisplay)
        window_layer_post_redisplay();
}

// The layer drawn at a position, or -1 when none is.
int32_t layer_at(int32_t position)
{
    for (int32_t layer = 0; layer < 4; ++layer)
        if (display_layer_order[layer].load(std::memory_order_relaxed) == position)
            return layer;
    return -1;
}

void bars_draw()
{
    pixel_rect bars[2];
    const int32_t count = viewport_bars(display_viewport, bars);
    if (count == 0)
        return;
    if (!bar_image || !hardware_img_of(bar_image)) {
        uint32_t pixel = 0x00000000;
        const int32_t index = hardware_img_new(1, 1, &pixel, 0);
        bar_image = index ? hardware_img_handle(index) : 0;
        if (!bar_image)
            return;
    }
    for (int32_t i = 0; i < count; ++i)
        gl_draw_window_rect(bars[i].x1, bars[i].y1, bars[i].x2, bars[i].y2, bar_image);
    gl_batch_flush();
}

// Draws the layers in their positions: clear, the software screen, the two
// hardware command layers, then bars beside the display rectangle. Returns
// how many hardware commands of the frame order `bound` ran.
uint32_t layers_draw(const frame_slot *shown, uint64_t bound)
{
    gl_screen_clear();
    hgc_pass pass;
    hgc_pass_begin(pass, bound);
    for (int32_t position = FIRST_LAYER_POSITION; position <= LAST_LAYER_POSITION; ++position) {
        switch (layer_at(position)) {
        case DISPLAY_LAYER_SOFTWARE:
            software_screen_draw(shown, position);
            break;
        case DISPLAY_LAYER_HARDWARE:
            hgc_layer_run(pass, HGC_HARDWARE_LAYER);
            break;
        case DISPLAY_LAYER_HARDWARE2:
            hgc_layer_run(pass, HGC_SECOND_HARDWARE_LAYER);
            break;
        default: // the GL layer and empty positions draw nothing
            break;
        }
    }
    bars_draw();
    return pass.commands_run;
}

void mouse_viewport_publish(const render_viewport &v)
{
    mouse_viewport m;
    m.x1_px = v.x1;
    m.y1_px = v.y1;
    m.scale_x = v.scale_x;
    m.scale_y = v.scale_y;
    m.frame_width_px = v.frame_width;
    m.frame_height_px = v.frame_height;
    mouse_viewport_set(m);
}

bool layer_order_changed(const display_window_state &d)
{
    for (int32_t layer = 0; layer < 4; ++layer)
        if (display_layer_order[layer].load(std::memory_order_relaxed) != d.drawn_layer_order[layer])
            return true;
    return false;
}

void display_pass()
{
    display_window_state &d = display_window;
    frame_slot *shown = frame_ring_take_newest();
    if (!shown)
        return;
    const uint64_t shown_order = shown->order.load(std::memory_order_relaxed);
    const uint64_t bound = last_built_frame_order.load(std::memory_order_acquire);
    // Read before the pass: a command queued during it is seen next time.
    const uint64_t appended = hgc_appended_count.load(std::memory_order_acquire);

    const window_size frame{shown->width, shown->height};
    d.force_redraw = false;
    window_actions_apply(display_window_follow(frame, clock_now_ms()));
    display_viewport = display_viewport_of(frame);
    mouse_viewport_publish(display_viewport);

    const uint32_t commands = layers_draw(shown, bound);
    const bool swap = !(program_suspended.load(std::memory_order_relaxed) & 1);
    if (swap)
        window_layer_swap_buffers();
    display_drawn_note(shown_order, bound, appended, commands, swap);
}

} // namespace

void display_drawn_note(uint64_t shown_order, uint64_t bound, uint64_t appended,
                        uint32_t commands, bool swapped)
{
    display_window_state &d = display_window;
    d.last_drawn_frame_order = bound;
    d.last_shown_slot_order = shown_order;
    d.drawn_appended_count = appended;
    d.drawn_commands = commands > 0;
    d.swap_held = !swapped;
    d.picture_drawn = true;
    for (int32_t layer = 0; layer < 4; ++layer)
        d.drawn_layer_order[layer] = display_layer_order[layer].load(std::memory_order_relaxed);
}

bool display_redraw_due()
{
    const display_window_state &d = display_window;
    if (d.force_redraw || full_screen_request.load() != -1 || layer_order_changed(d))
        return true;
    if (d.swap_held && !(program_suspended.load(std::memory_order_relaxed) & 1))
        return true;
    if (frame_ring_newer_ready(d.last_shown_slot_order))
        return true;
    // A frame order without a new picture still moves the hardware layers on:
    // commands queued since, or the end of the commands drawn last.
    const uint64_t bound = last_built_frame_order.load(std::memory_order_acquire);
    return bound != d.last_drawn_frame_order &&
           (d.drawn_commands ||
            hgc_appended_count.load(std::memory_order_acquire) != d.drawn_appended_count);
}

void glut_display_callback()
{
    if (display_window.in_callback)
        return;
    display_window.in_callback = true;
    display_pass();
    display_window.in_callback = false;
}

void glut_reshape_callback(int width, int height)
{
    display_reshape_note(width, height);
    gl_render_setup(0);
}

void glut_timer_callback(int value)
{
    clock_sleep_ms(TIMER_SELF_SLEEP_MS);
    window_requests_serve();
    display_alt_enter_serve();
    key_main_thread_poll();
    window_layer_poll();
    if (display_redraw_due())
        window_layer_post_redisplay();
    window_layer_timer_arm(redisplay_timer_interval_ms(frames_per_second.load()),
                           glut_timer_callback, value);
}

void redisplay_timer_tick(int value)
{
    window_layer_post_redisplay();
    window_layer_timer_arm(uint32_t(value > 0 ? value : 0), redisplay_timer_tick, value);
}
