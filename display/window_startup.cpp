#include "display/window_startup.h"

#include "core/errors.h"
#include "display/display_callback.h"
#include "display/gl_renderer.h"
#include "display/window_layer.h"
#include "display/window_requests.h"
#include "display/window_state.h"
#include "platform/clock.h"
#include "platform/os_environment.h"
#include "platform/x_connection_errors.h"

#include <GL/glew.h>

#include <string>
#include <vector>

namespace
{

constexpr uint32_t CREATE_WAIT_STEP_MS = 100;
constexpr int32_t WINDOW_WIDTH = 640;
constexpr int32_t WINDOW_HEIGHT = 400;

void window_create(int argc, char **argv)
{
    // The toolkit takes its own options out of the argument list: give it a
    // copy, so COMMAND$ and the program's arguments stay as they were.
    std::vector<char *> args(argv, argv + argc);
    // The display named at start-up: the toolkit would read the environment,
    // which the program thread may be changing by now.
    static char display_option[] = "-display";
    static std::string display_name;
    if (const char *name = os_display_name()) {
        display_name = name;
        args.push_back(display_option);
        args.push_back(display_name.data());
    }
    int count = int(args.size());
    args.push_back(nullptr);
    std::string title = "Untitled";
    window_title_take(title);
    display_window.reshape_started_ms = clock_now_ms();
    // Without the window the program ends as on a lost display, its files
    // closed and each refusal said.
    if (!window_layer_create(&count, args.data(), title.c_str(), WINDOW_WIDTH, WINDOW_HEIGHT))
        x_connection_end("window: the display mode cannot be had\n");
    window_exists.store(1);
}

void gl_extensions_load()
{
    if (renderer_gl_init())
        return;
    glewExperimental = GL_TRUE;
    alert(reinterpret_cast<const char *>(glewGetErrorString(glewInit())));
}

} // namespace

void window_main(int argc, char **argv)
{
    while (!window_create_request.load())
        clock_sleep_ms(CREATE_WAIT_STEP_MS);
    window_create(argc, argv);
    gl_extensions_load();
    window_layer_run();
}
