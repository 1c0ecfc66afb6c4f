#include "core/startup.h"

#include "core/command_line.h"
#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/gosub_stack.h"
#include "core/memory.h"
#include "core/program_thread.h"
#include "core/strings.h"
#include "core/timing.h"
#include "core/traps.h"
#include "display/runtime_loop.h"
#include "display/devices.h"
#include "display/display_callback.h"
#include "display/frame_builder.h"
#include "display/frame_ring.h"
#include "display/gl_renderer.h"
#include "display/hardware_images.h"
#include "display/keyboard.h"
#include "display/mouse.h"
#include "display/text_input.h"
#include "display/window_services.h"
#include "display/window_startup.h"
#include "display/window_state.h"
#include "files/network_handles.h"
#include "files/open_close.h"
#include "platform/message_box.h"
#include "platform/os_environment.h"
#include "platform/standard_streams.h"
#include "platform/system_keys.h"
#include "platform/x_connection_errors.h"
#include "screen/input_editor.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"
#include "screen/text_output.h"
#include "sound/audio_pump.h"
#include "sound/sound_device.h"

#include <X11/Xlib.h>

#include <climits>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::string own_program_path(const char *argv0)
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0)
        return std::string(buf, size_t(n));
    return argv0 ? argv0 : "";
}

// CLOSE with no number (CLEAR), which raises a refused close as an error.
void files_close_all() { rt_close(0, 0); }

// END's key test: whether INKEY$ gives a key, its temporary freed at once.
bool end_key_read()
{
    string_descriptor *key = rt_inkey_str();
    bool got = key->len > 0;
    string_free(key);
    return got;
}

// What the runtime loop thread and END call in the other subsystems.
void subsystem_services_install()
{
    runtime_loop_services loop{};
    loop.sound_update = sound_update;
    loop.sound_close = sound_close;
    loop.files_close = files_close_at_end;
    loop.files_leave = files_left_at_end;
    loop.printer_page_poll = printer_page_poll;
    loop.printer_page_flush = printer_page_flush;
    loop.lock_keys_sync = lock_keys_sync;
    loop.frame_build = runtime_frame_build;
    loop.auto_display = frame_auto_display_on;
    runtime_loop_services_set(loop);

    end_services end{};
    end.files_close = files_close_at_end;
    end.prompt_show = end_prompt_show;
    end.key_read = end_key_read;
    end.auto_display_on = display_auto_set;
    end_services_set(end);
    program_clear_close_files_hook = files_close_all;
    x_connection_end_steps_set(runtime_end_on_lost_display);
    // RANDOMIZE with no seed asks for one with the INPUT editor.
    input_editor_install();
}

void threads_start(basic_main_module main_module)
{
    std::thread(program_thread_main, main_module).detach();
    std::thread(timer_thread_main).detach();
    std::thread(runtime_loop_thread_entry).detach();
}

} // namespace

void main_startup_hook() {}

void program_window_options_apply(uint32_t resize_policy, uint32_t scaling_mode)
{
    // The run-time resize statement's own setter; a scaling mode other than
    // 1 or 2 keeps the current one, and policies other than 1 or 2 do
    // nothing there.
    const int32_t policy = resize_policy <= 2 ? int32_t(resize_policy) : 0;
    const int32_t how =
        scaling_mode == 1 || scaling_mode == 2 ? int32_t(scaling_mode) : stretch_mode.load();
    resize_mode_set(policy, how);
}

void runtime_static_init()
{
    strings_static_init();
    command_line = nullptr; // its string went with the old tables
    mem_locks_init();
    screen_static_init();
}

void program_unit_static_init()
{
    gosub_stack_init();
    devices_static_init();
    traps_static_init();
}

bool program_directory_enter(const char *program_path)
{
    std::string dir = program_path;
    size_t cut = dir.find_last_of("\\/:");
    if (cut != std::string::npos)
        dir.erase(dir[cut] == ':' ? cut + 1 : cut);
    for (char &c : dir)
        if (c == '\\')
            c = '/';
    return chdir(dir.empty() ? "/" : dir.c_str()) == 0;
}

int runtime_main(int argc, char **argv, const program_unit &unit)
{
    // Done already as the executable started; called here as well so that
    // every program built on the runtime carries that step.
    standard_streams_open();
    // The program's own copy of the environment, taken before any thread
    // (audio's included) starts: ENVIRON changes only that copy.
    os_environment_startup();
    // Message boxes and later the window use Xlib from several threads.
    XInitThreads();
    x_connection_errors_install();
    // The window's typed text needs a character-type locale Xlib knows;
    // the locale is the process's, so it is set before any thread runs.
    text_input_locale_choose();
    runtime_static_init();
    program_unit_static_init();

    // No frame has been built or shown yet; the renderer knows no GL state.
    renderer_state_reset();
    frame_ring_reset();
    main_startup_hook();
    program_window_options_apply(unit.resize_policy, unit.scaling_mode);
    network_lists_create();
    hardware_lists_create();
    // Ends the process with exit code 111 or 222 when audio cannot start.
    sound_init();

    window_hidden = unit.window_hidden ? 1 : 0;
    program_start_options_set({unit.window_hidden, unit.console});
    console_option_set(unit.console);

    key_trap_codes_fill();
    program_directory_enter(own_program_path(argc > 0 ? argv[0] : nullptr).c_str());

    static_pool_init();
    dos_memory_startup();
    array_zero_block = dos_string_area_reserve_zero_block();
    strings_shared_create();
    command_line_build(argc, argv);

    timer_base_take();
    // The lock and modifier keys the system has down, then an empty key-hit
    // ring, BIOS keyboard buffer and mouse ring.
    keyboard_reset();
    keyboard_startup(system_key_state_read());
    mouse_reset();
    // Font metrics, reserved slots 0 and 1, palettes and glyph tables,
    // SCREEN 0 and the two built-in 32-bit images.
    screen_startup();
    text_output_reset();
    devices_startup();

    subsystem_services_install();
    platform_message_box_answers_reload();
    threads_start(unit.main_module);

    if (!unit.window_hidden)
        window_create_request = 1;
    // The main thread belongs to the window from here on; the process ends
    // through the runtime loop thread.
    window_main(argc, argv);
}
