// The software frame builder: turns the display page into a 32-bit frame and
// hands it to the main thread through the frame ring (frame_ring.h).
//
// Text pages are drawn cell by cell with the page's font and palette; only
// cells that changed, blink or carry the cursor are redrawn, on top of a copy
// of the newest frame. 8-bit pages go through their palette; 32-bit pages are
// copied. A page that did not change publishes nothing.
//
// The builder runs on the runtime loop thread every second pass
// (runtime_frame_build), or on the program thread while the program displays
// by hand. It answers the pause hand-shake of SCREEN, WIDTH and font changes
// (frame_build_pause in screen/screen_modes.h): while a pause is asked for or
// answered it builds nothing.
//
// Order of calls: frame_ring_reset at start-up; then the runtime loop calls
// runtime_frame_build while frame_auto_display_on says so.
#pragma once

#include <atomic>
#include <cstdint>

// Set to 1 at every end of the builder (manual display waits on it).
extern std::atomic<uint32_t> frame_done;
// Set by full-screen changes: the next frame is built even when the page did
// not change. Cleared when a frame is published.
extern std::atomic<uint32_t> frame_force_rebuild;
// Size of the last frame built, in pixels (mouse input reads it).
extern std::atomic<int32_t> display_frame_width;
extern std::atomic<int32_t> display_frame_height;
// Mouse movement skip counter: every frame that reaches the drawing stage
// sets it to 4; mouse input counts it down.
extern std::atomic<int32_t> mouse_move_skip;

// Builds at most one frame of the display page.
void software_frame_build();

// The runtime loop's frame step: marks the builder as running (so page changes
// wait for its pause answer from now on), then builds.
void runtime_frame_build();
// Whether the runtime loop builds frames: automatic display is on or a switch
// to manual display is waiting for the builder.
bool frame_auto_display_on();

// Forgets what the builder remembers of earlier frames (comparison copies,
// cursor, phase) and puts its words back to their start values (tests).
void frame_builder_reset();
