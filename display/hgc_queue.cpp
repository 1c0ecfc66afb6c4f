#include "display/hgc_queue.h"

#include "core/errors.h"
#include "core/lists.h"
#include "core/small_ops.h"
#include "display/frame_ring.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"

#include <cstddef>

indexed_list *hgc_list = nullptr;
std::atomic<uint32_t> hgc_queue_first{0};
std::atomic<uint32_t> hgc_queue_last{0};
std::atomic<uint32_t> hgc_last_executed{0};
std::atomic<uint64_t> hgc_appended_count{0};

namespace
{

// The frame order the display is drawing; records of this frame or later
// stay in the list (the second hardware layer may walk them again).
std::atomic<uint64_t> hgc_drawing_bound{0};

// Main thread: the first command of the frame drawn last, so that a redraw of
// the same frame draws its screen commands again.
uint64_t frame_start_order = 0;
uint32_t frame_start_index = 0;

std::atomic_ref<uint32_t> next_word(hgc_record *r)
{
    return std::atomic_ref<uint32_t>(r->next);
}
std::atomic_ref<int32_t> executed_word(hgc_record *r)
{
    return std::atomic_ref<int32_t>(r->executed);
}

hgc_record *record_of(uint32_t index)
{
    if (!hgc_list || index == 0)
        return nullptr;
    return static_cast<hgc_record *>(list_get(hgc_list, int32_t(index)));
}

// The GL side of each drawing command.
void gl_execute(const hgc_record &c)
{
    const float *s = c.source_coords, *d = c.dest_coords;
    switch (c.type) {
    case HGC_RECT:
        gl_draw_textured_rect(double_to_int32_saturating(d[0]), double_to_int32_saturating(d[1]),
                              double_to_int32_saturating(d[3]), double_to_int32_saturating(d[4]),
                              c.source, c.destination, s[0], s[1], s[2], s[3], c.alpha, c.smooth);
        break;
    case HGC_TRIANGLE_2D: {
        const float xy[6] = {d[0], d[1], d[3], d[4], d[6], d[7]};
        gl_draw_textured_triangle_2d(s, xy, c.source, c.destination, c.smooth, c.alpha);
        break;
    }
    case HGC_TRIANGLE_3D:
        gl_draw_textured_triangle_3d(s, d, c.source, c.destination, c.smooth, c.culling,
                                     c.depth_mode, c.alpha);
        break;
    case HGC_DEPTH_CLEAR:
        gl_depth_clear(c.destination);
        break;
    default:
        break;
    }
}

hgc_executor executor = gl_execute;

bool image_present(int32_t handle)
{
    return hardware_img_of(handle) != nullptr;
}

// A drawing command runs only while every image it names still exists: an
// image freed in the meantime is skipped, never drawn from or into.
bool images_present(const hgc_record &c)
{
    if (c.destination > 0 && !hardware_img_record(c.destination))
        return false;
    return c.type == HGC_DEPTH_CLEAR || image_present(c.source);
}

void image_free_command(const hgc_record &c)
{
    if (image_present(c.source))
        free_hardware_img(c.source, 3);
}

// Runs a command as its layer allows: frees, image drawing and screen drawing
// are each asked for separately.
void command_run(const hgc_record &c, bool frees, bool image_drawing, int32_t screen_layer,
                 bool screen_drawing)
{
    if (c.disabled)
        return;
    if (c.type == HGC_FREE_IMAGE) {
        if (frees)
            image_free_command(c);
        return;
    }
    if (c.type == HGC_FREE_REQUEST || c.type < HGC_RECT || c.type > HGC_DEPTH_CLEAR)
        return;
    bool to_image = c.destination > 0;
    if (to_image ? !image_drawing : !(screen_drawing && c.destination == screen_layer))
        return;
    // GL cannot read a texture while drawing into it: such a command is skipped.
    if (to_image && c.source == hardware_img_handle(c.destination))
        return;
    if (images_present(c))
        executor(c);
}

// Names the record the last executed one before marking it executed, so that
// the program thread, seeing it executed, also sees it as the last.
void mark_executed(uint32_t index, hgc_record *r)
{
    hgc_last_executed.store(index, std::memory_order_release);
    executed_word(r).store(1, std::memory_order_release);
}

// First hardware layer of a pass: runs what is left of frames before the
// bound. Screen drawing of those frames is dropped: they were never shown.
uint32_t older_frames_run(uint64_t bound)
{
    uint32_t last = hgc_last_executed.load(std::memory_order_relaxed);
    uint32_t index;
    if (last) {
        hgc_record *r = record_of(last);
        if (!r) {
            alert("Rendering: Last HGC is NULL!");
            return 0;
        }
        index = next_word(r).load(std::memory_order_acquire);
    } else {
        index = hgc_queue_first.load(std::memory_order_acquire);
    }
    while (hgc_record *r = record_of(index)) {
        if (r->frame_order >= bound)
            break;
        command_run(*r, true, true, 0, false);
        mark_executed(index, r);
        index = next_word(r).load(std::memory_order_acquire);
    }
    return index;
}

// The first command of the frame `bound`, after what is left of older frames
// has run. A pass that draws the same frame again (the window was redrawn)
// starts where the first pass over it started.
uint32_t frame_start_of(uint64_t bound)
{
    uint32_t index = older_frames_run(bound);
    if (frame_start_order == bound && frame_start_index != 0)
        return frame_start_index;
    frame_start_order = bound;
    frame_start_index = index;
    return index;
}

void missing_command_alert(uint64_t bound, uint32_t index)
{
    alert_number(int32_t(bound));
    hgc_record *oldest = record_of(hgc_queue_first.load(std::memory_order_acquire));
    alert_number(oldest ? int32_t(oldest->frame_order) : 0);
    alert_number(int32_t(index));
    alert("Renderer: Command does not exist.");
}

} // namespace

void hgc_list_create()
{
    list_free(hgc_list);
    hgc_list = list_new(sizeof(hgc_record));
    hgc_queue_first = 0;
    hgc_queue_last = 0;
    hgc_last_executed = 0;
    hgc_drawing_bound = 0;
    frame_start_order = 0;
    frame_start_index = 0;
}

uint32_t hgc_append(const hgc_record &command)
{
    uint32_t index = uint32_t(list_add(hgc_list));
    hgc_record *r = record_of(index);
    *r = command;
    r->frame_order = frame_order_counter.load(std::memory_order_acquire);
    r->next = 0;
    r->queue_mark = 0;
    r->executed = 0;
    uint32_t last = hgc_queue_last.load(std::memory_order_relaxed);
    if (hgc_record *previous = record_of(last))
        next_word(previous).store(index, std::memory_order_release);
    hgc_queue_last.store(index, std::memory_order_release);
    hgc_appended_count.fetch_add(1, std::memory_order_release);
    if (hgc_queue_first.load(std::memory_order_relaxed) == 0)
        hgc_queue_first.store(index, std::memory_order_release);
    return index;
}

uint32_t hgc_queue_command(const hgc_record &command)
{
    hardware_queue_flush();
    return hgc_append(command);
}

void hardware_queue_flush()
{
    uint64_t current = frame_order_counter.load(std::memory_order_acquire);
    uint64_t drawing = hgc_drawing_bound.load(std::memory_order_acquire);
    uint32_t index = hgc_queue_first.load(std::memory_order_relaxed);
    while (hgc_record *r = record_of(index)) {
        if (!executed_word(r).load(std::memory_order_acquire) || r->frame_order >= current ||
            r->frame_order >= drawing)
            break;
        if (r->type == HGC_FREE_REQUEST && !r->disabled && !r->queue_mark) {
            hgc_record free_command{};
            free_command.type = HGC_FREE_IMAGE;
            free_command.source = r->source;
            hgc_append(free_command);
            r->queue_mark = 1;
        }
        if (index == hgc_last_executed.load(std::memory_order_acquire))
            break;
        uint32_t next = next_word(r).load(std::memory_order_acquire);
        hgc_queue_first.store(next, std::memory_order_release);
        list_remove(hgc_list, int32_t(index));
        index = next;
    }
}

void hgc_pass_begin(hgc_pass &pass, uint64_t bound)
{
    pass.bound = bound;
    pass.first_layer_done = false;
    pass.start = 0;
    pass.commands_run = 0;
    hgc_drawing_bound.store(bound, std::memory_order_release);
}

void hgc_layer_run(hgc_pass &pass, int32_t layer)
{
    bool first = !pass.first_layer_done;
    if (first)
        pass.start = frame_start_of(pass.bound);
    uint32_t index = pass.start;
    while (index) {
        hgc_record *r = record_of(index);
        if (!r) {
            missing_command_alert(pass.bound, index);
            break;
        }
        if (r->frame_order != pass.bound)
            break;
        // Frees and drawing into images run once; screen drawing on every
        // pass over the frame.
        bool fresh = first && !executed_word(r).load(std::memory_order_relaxed);
        command_run(*r, fresh, fresh, layer, true);
        if (fresh)
            mark_executed(index, r);
        if (first)
            ++pass.commands_run;
        index = next_word(r).load(std::memory_order_acquire);
    }
    gl_batch_flush();
    pass.first_layer_done = true;
}

void hgc_executor_set(hgc_executor e)
{
    executor = e ? e : gl_execute;
}
