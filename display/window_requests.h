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
// count of publications (it grows by one each time).
struct published_geometry {
    int32_t x, y, border_width, header_height, width, height, screen_width, screen_height;
};
published_geometry window_geometry_published();
uint32_t window_geometry_serial();
// Program thread: asks the main thread for the geometry and waits for it;
// false when the process ended the wait.
bool window_geometry_refresh();

// Empties the queue and forgets the title (start-up and tests; no other
// thread may use them meanwhile).
void window_requests_reset();
