#include "display/window_requests.h"

#include "core/control_words.h"
#include "display/mouse.h"
#include "display/window_layer.h"
#include "platform/clock.h"

#include <atomic>
#include <mutex>

namespace
{

window_request ring[WINDOW_REQUEST_SLOTS];
std::atomic<uint32_t> write_position{0}; // grows without masking; slot = position % slots
std::atomic<uint32_t> read_position{0};

std::mutex title_mutex;
std::string title_text;             // guarded by title_mutex
bool title_set = false;             // guarded by title_mutex
uint32_t title_version = 0;         // guarded by title_mutex; grows with every store
uint32_t title_version_applied = 0; // guarded by title_mutex

struct geometry_words {
    std::atomic<int32_t> x{0}, y{0}, border_width{0}, header_height{0};
    std::atomic<int32_t> width{0}, height{0}, screen_width{0}, screen_height{0};
    std::atomic<int32_t> desktop_x{0}, desktop_y{0};
};
geometry_words geometry;
std::atomic<uint32_t> geometry_serial{0};
window_move_wait move_wait; // main thread only

// A hidden window's place: where its frame was when it was hidden, or where a
// move asked for since; showing it puts it there. Main thread only.
struct hidden_window {
    bool hidden = false;
    window_place place{0, 0};
};
hidden_window hidden;

window_place desktop_place_of(const window_geometry &g)
{
    return {g.x - g.border_width, g.y - g.border_width - g.header_height};
}

// Moves the window and has reads give the place asked for until it is there.
// A hidden window only keeps the place for when it is shown.
void window_move_start(int32_t x, int32_t y)
{
    if (hidden.hidden) {
        hidden.place = {x, y};
        return;
    }
    window_layer_move(x, y);
    move_wait = {true, x, y, clock_now_ms()};
}

void window_hide_start()
{
    if (!hidden.hidden) {
        hidden.place = move_wait.pending ? window_place{move_wait.x, move_wait.y}
                                         : desktop_place_of(window_layer_geometry());
        hidden.hidden = true;
        move_wait.pending = false;
    }
    window_layer_hide();
}

void window_show_start()
{
    if (!hidden.hidden) {
        window_layer_show();
        return;
    }
    hidden.hidden = false;
    window_layer_show_at(hidden.place.x, hidden.place.y);
    move_wait = {true, hidden.place.x, hidden.place.y, clock_now_ms()};
}

void geometry_publish(const window_geometry &g)
{
    const window_place place =
        hidden.hidden ? hidden.place
                      : window_move_wait_place(move_wait, desktop_place_of(g), clock_now_ms());
    geometry.desktop_x.store(place.x);
    geometry.desktop_y.store(place.y);
    geometry.x.store(g.x);
    geometry.y.store(g.y);
    geometry.border_width.store(g.border_width);
    geometry.header_height.store(g.header_height);
    geometry.width.store(g.width);
    geometry.height.store(g.height);
    geometry.screen_width.store(g.screen_width);
    geometry.screen_height.store(g.screen_height);
    geometry_serial.fetch_add(1, std::memory_order_release);
}

void request_apply(const window_request &r)
{
    switch (r.kind) {
    case window_request_kind::move:
        window_move_start(r.x, r.y);
        break;
    case window_request_kind::centre: {
        const window_geometry g = window_layer_geometry();
        window_move_start((g.screen_width - g.width) / 2, (g.screen_height - g.height) / 2);
        break;
    }
    case window_request_kind::show:
        window_show_start();
        break;
    case window_request_kind::hide:
        window_hide_start();
        break;
    case window_request_kind::geometry:
        geometry_publish(window_layer_geometry());
        break;
    }
}

} // namespace

bool window_request_post(const window_request &request)
{
    const uint32_t w = write_position.load(std::memory_order_relaxed);
    while (w - read_position.load(std::memory_order_acquire) >= WINDOW_REQUEST_SLOTS) {
        if (exit_acknowledged.load())
            return false;
        clock_sleep_ms(1);
    }
    ring[w % WINDOW_REQUEST_SLOTS] = request;
    write_position.store(w + 1, std::memory_order_release);
    return true;
}

bool window_request_take(window_request &request)
{
    const uint32_t r = read_position.load(std::memory_order_relaxed);
    if (r == write_position.load(std::memory_order_acquire))
        return false;
    request = ring[r % WINDOW_REQUEST_SLOTS];
    read_position.store(r + 1, std::memory_order_release);
    return true;
}

void window_title_store(const std::string &title)
{
    std::lock_guard<std::mutex> lock(title_mutex);
    title_text = title;
    title_set = true;
    ++title_version;
}

std::string window_title_current()
{
    std::lock_guard<std::mutex> lock(title_mutex);
    return title_set ? title_text : std::string("Untitled");
}

bool window_title_take(std::string &title)
{
    std::lock_guard<std::mutex> lock(title_mutex);
    if (title_version == title_version_applied)
        return false;
    title_version_applied = title_version;
    title = title_set ? title_text : std::string("Untitled");
    return true;
}

void window_requests_serve()
{
    // A move on its way ends as soon as the window is reported there, so that
    // a later move by anyone else shows at once.
    window_layer_moves_take([](int32_t x, int32_t y) {
        window_move_wait_place(move_wait, {x, y}, clock_now_ms());
    });
    window_request r;
    while (window_request_take(r))
        request_apply(r);
    std::string title;
    if (window_title_take(title))
        window_layer_title_set(title.c_str());
    const int32_t cursor = mouse_cursor_request.exchange(-1);
    if (cursor >= 0)
        window_layer_cursor_set(cursor);
}

published_geometry window_geometry_published()
{
    return {geometry.x.load(),
            geometry.y.load(),
            geometry.border_width.load(),
            geometry.header_height.load(),
            geometry.width.load(),
            geometry.height.load(),
            geometry.screen_width.load(),
            geometry.screen_height.load(),
            geometry.desktop_x.load(),
            geometry.desktop_y.load()};
}

window_place window_move_wait_place(window_move_wait &wait, window_place seen, int64_t now_ms)
{
    if (wait.pending &&
        ((seen.x == wait.x && seen.y == wait.y) || now_ms - wait.started_ms >= MOVE_TIMEOUT_MS))
        wait.pending = false;
    return wait.pending ? window_place{wait.x, wait.y} : seen;
}

uint32_t window_geometry_serial()
{
    return geometry_serial.load(std::memory_order_acquire);
}

bool window_geometry_refresh()
{
    const uint32_t before = window_geometry_serial();
    if (!window_request_post({window_request_kind::geometry, 0, 0}))
        return false;
    while (window_geometry_serial() == before) {
        if (exit_acknowledged.load())
            return false;
        clock_sleep_ms(1);
    }
    return true;
}

void window_requests_reset()
{
    write_position.store(0);
    read_position.store(0);
    {
        std::lock_guard<std::mutex> lock(title_mutex);
        title_text.clear();
        title_set = false;
        title_version = 0;
        title_version_applied = 0;
    }
    geometry_serial.store(0);
    move_wait = {};
    hidden = {};
}
