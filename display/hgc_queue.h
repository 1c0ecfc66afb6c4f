// The hardware command queue: drawing on hardware images that the program
// asks for is not done at once but queued as hgc_records, each stamped with
// the frame order it belongs to, and executed by the display callback on the
// main thread when that frame is shown.
//
// Threads: the program thread appends records and removes those already
// executed (hardware_queue_flush); the main thread walks and executes them.
// Records live in an indexed list and never move. A record is filled
// completely before its index is linked into the `next` word of the previous
// record (release); the main thread follows links with acquire, and marks a
// record executed with release after naming it the last executed record. The
// program thread removes a record only when it is executed, is not the last
// executed record (whose link the main thread follows next), and belongs to a
// frame older than the one the display is drawing, so the main thread never
// meets a removed record on its way.
//
// Order of calls: hgc_list_create at start-up (hardware_lists_create does it);
// program thread: hgc_queue_command; main thread, in the display callback:
// hgc_pass_begin, then hgc_layer_run for each hardware layer position.
#pragma once

#include <atomic>
#include <cstdint>

struct indexed_list;

// Command types.
constexpr uint32_t HGC_RECT = 1;
constexpr uint32_t HGC_FREE_REQUEST = 2; // queued by the image layer; runs as a no-op
constexpr uint32_t HGC_FREE_IMAGE = 3;
constexpr uint32_t HGC_TRIANGLE_2D = 4;
constexpr uint32_t HGC_TRIANGLE_3D = 5;
constexpr uint32_t HGC_DEPTH_CLEAR = 6;

// Destinations of screen commands.
constexpr int32_t HGC_HARDWARE_LAYER = 0;
constexpr int32_t HGC_SECOND_HARDWARE_LAYER = -1;

struct hgc_record {
    uint64_t frame_order; // the frame this command is drawn with
    uint32_t next;        // list index of the next command, 0 = end (both threads)
    uint32_t queue_mark;  // program thread: a free request already turned into a free
    uint32_t type;
    uint32_t disabled;   // runs only when 0
    int32_t source;      // hardware image handle (HGC_FREE_*: the image to free)
    int32_t destination; // above 0 a hardware image list index; 0 or -1 a screen layer
    float source_coords[6];
    float dest_coords[9]; // rectangle: x1, y1 at 0, 1 and x2, y2 at 3, 4
    int32_t smooth;
    int32_t culling;
    int32_t depth_mode;
    int32_t alpha;
    int32_t executed; // set by the main thread (both threads)
};

extern indexed_list *hgc_list;
extern std::atomic<uint32_t> hgc_queue_first;
extern std::atomic<uint32_t> hgc_queue_last;
extern std::atomic<uint32_t> hgc_last_executed;
// Grows by one with every appended record: the display callback compares it
// to tell whether anything was queued since it last drew.
extern std::atomic<uint64_t> hgc_appended_count;

// A fresh empty queue (the old list and its records are dropped).
void hgc_list_create();

// Program thread. Removes executed records of frames already drawn; an
// executed free request turns into a command that frees its image, queued
// for the current frame.
void hardware_queue_flush();
// Appends a copy of `command` stamped with the current frame order; returns
// its index. hgc_queue_command flushes first, as every program-side queuing
// should.
uint32_t hgc_append(const hgc_record &command);
uint32_t hgc_queue_command(const hgc_record &command);

// Main thread: one display pass over the queue.
struct hgc_pass {
    uint64_t bound;        // last_built_frame_order when the pass began
    bool first_layer_done; // a hardware layer has run in this pass
    uint32_t start;        // first command of the frame `bound`
    uint32_t commands_run; // commands of the frame `bound` run by the first layer
};
void hgc_pass_begin(hgc_pass &pass, uint64_t bound);
// Runs the queue for the hardware layer (0) or the second hardware layer (-1).
void hgc_layer_run(hgc_pass &pass, int32_t layer);

// Draws one command whose images exist. The GL executor is installed at
// start; tests put a recorder in its place (null restores the GL one).
using hgc_executor = void (*)(const hgc_record &command);
void hgc_executor_set(hgc_executor executor);
