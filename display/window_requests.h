// Window changes asked for by other threads, served by the main thread.
//
// Only the main thread talks to the window's display connection. The program
// thread queues moves, centring, showing, hiding and geometry reads here and
// stores the title; the main thread's timer callback serves them in order
// (window_requests_serve), then applies the newest title and the pointer
// shape the mouse asked for.
//
// The queue is a fixed ring with one producer, the program thread, and one
// consumer, the main thread: the producer fills a slot and publishes it by
// moving the write position (release); the consumer reads it after seeing
// the position (acquire) and frees it by moving the read position.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t WINDOW_REQUEST_SLOTS = 64;

enum class window_request_kind : uint32_t {
    move,     // to (x, y)
    centre,   // in the middle of the screen
    show,     // map the window
    hide,     // unmap the window
    geometry, // publish the window's position and the screen size
};

struct window_request {
    window_request_kind kind;
    int32_t x, y;
};

// Program thread. Queues a request; while the ring is full waits in 1 ms steps
// for the main thread, unless the process is ending, in which case the
// request is dropped and the result is false.
bool window_request_post(const window_request &request);

// Any thread: the title the window shows. The text is stored at once (the
// window is created with it); a window that exists takes it at the next tick.
void window_title_store(const std::string &title);
// The stored title, "Untitled" when none was set.
std::string window_title_current();

// Main thread: the oldest queued request, removed; false when none waits.
bool window_request_take(window_request &request);
// Main thread: the title when it changed since the last call.
bool window_title_take(std::string &title);

// Main thread, from the timer callback: serves every queued request through
// the window layer, then the title and the pointer shape.
void window_requests_serve();

// The window's geometry as last published by a geometry request, and the
// count of publications (it grows by one each time). The desktop place is
// where the window's frame is, or the place a move asked for while the window
// has not shown it yet (window_move_wait); while the window is hidden, the
// place it will be shown at.
struct published_geometry {
    int32_t x, y, border_width, header_height, width, height, screen_width, screen_height;
    int32_t desktop_x, desktop_y;
};
published_geometry window_geometry_published();
uint32_t window_geometry_serial();
// Program thread: asks the main thread for the geometry and waits for it;
// false when the process ended the wait.
bool window_geometry_refresh();

// Main thread: a move made and not yet shown by the window. The toolkit moves
// the window later in its loop, and a window manager later still, so a read
// right after a move would find the old place, or half of each. Until the
// window is seen at the place asked for, or MOVE_TIMEOUT_MS have passed (a
// window manager may put it elsewhere), its desktop place is the one asked
// for, as full_screen_get gives a pending request. The main thread also takes
// the moves the window system reports every tick, so the wait ends as soon as
// the window has been there, and a later move is seen at once. Showing a
// hidden window is such a move, to the place it had.
constexpr int64_t MOVE_TIMEOUT_MS = 1000;
struct window_move_wait {
    bool pending = false;
    int32_t x = 0, y = 0; // the place asked for
    int64_t started_ms = 0;
};
struct window_place {
    int32_t x, y;
};
// The desktop place to publish when the window reports `seen`; ends the wait
// once the window is there or the time is up.
window_place window_move_wait_place(window_move_wait &wait, window_place seen, int64_t now_ms);

// Empties the queue and forgets the title (start-up and tests; no other
// thread may use them meanwhile).
void window_requests_reset();
