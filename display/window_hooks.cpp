#include "display/window_hooks.h"

#include "core/control_words.h"
#include "display/devices.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "platform/clock.h"

#include <atomic>

namespace
{

std::atomic<uint64_t> main_window_handle{0};

constexpr int32_t PC_BUTTONS = 512;

} // namespace

int32_t window_resizable_flag()
{
    return 0;
}

void window_handle_store(uint64_t handle)
{
    main_window_handle.store(handle, std::memory_order_release);
}

uint64_t window_handle()
{
    return main_window_handle.load(std::memory_order_acquire);
}

void window_proc_key_hook(int32_t pc_button, bool down)
{
    if (pc_button > 0 && pc_button < PC_BUTTONS)
        device_keyboard_button_event(pc_button, down);
}

int32_t window_proc_event_hook(int32_t what, int32_t code, int32_t value)
{
    switch (what) {
    case WINDOW_EVENT_CLOSE:
        exit_request.fetch_or(1);
        clock_wake(&program_wake);
        return 0;
    case WINDOW_EVENT_KEY:
        return window_key_hook_event(code, value);
    case WINDOW_EVENT_RAW_MOTION:
        if (code != 0 || value != 0)
            mouse_raw_motion_event(code, value);
        return 0;
    default:
        return -1;
    }
}
