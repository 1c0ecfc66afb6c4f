// Google Test first: the X11 headers define None, a name Google Test uses.
#include <gtest/gtest.h>

#include "display/window_layer.h"

#include "core/control_words.h"
#include "core/dos_memory.h"
#include "core/errors.h"
#include "core/strings.h"
#include "display/devices.h"
#include "display/display_callback.h"
#include "display/mouse.h"
#include "display/window_state.h"
#include "display/window_x11_internal.h"
#include "screen/screen_startup.h"

#include <GL/freeglut.h>

#include <string>

namespace
{

// What the window layer registered, in order, with the handlers it gave.
struct registered {
    std::string order;
    void (*display)() = nullptr;
    unsigned int timer_delay_ms = 0;
    void (*timer)(int) = nullptr;
    int timer_value = -1;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*keyboard_up)(unsigned char, int, int) = nullptr;
    void (*special)(int, int, int) = nullptr;
    void (*special_up)(int, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    void (*passive_motion)(int, int) = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*wheel)(int, int, int, int) = nullptr;
};
registered seen;

void note(const char *name)
{
    seen.order += seen.order.empty() ? "" : " ";
    seen.order += name;
}

const toolkit_callback_registrar recording{
    .display = [](void (*f)()) { note("display"), seen.display = f; },
    .timer =
        [](unsigned int delay_ms, void (*f)(int), int value) {
            note("timer");
            seen.timer_delay_ms = delay_ms;
            seen.timer = f;
            seen.timer_value = value;
        },
    .keyboard = [](void (*f)(unsigned char, int, int)) { note("keyboard"), seen.keyboard = f; },
    .keyboard_up = [](void (*f)(unsigned char, int, int)) { note("keyboard-up"), seen.keyboard_up = f; },
    .special = [](void (*f)(int, int, int)) { note("special"), seen.special = f; },
    .special_up = [](void (*f)(int, int, int)) { note("special-up"), seen.special_up = f; },
    .mouse = [](void (*f)(int, int, int, int)) { note("mouse"), seen.mouse = f; },
    .motion = [](void (*f)(int, int)) { note("motion"), seen.motion = f; },
    .passive_motion = [](void (*f)(int, int)) { note("passive-motion"), seen.passive_motion = f; },
    .reshape = [](void (*f)(int, int)) { note("reshape"), seen.reshape = f; },
    .wheel = [](void (*f)(int, int, int, int)) { note("wheel"), seen.wheel = f; },
};

const char *const ELEVEN_IN_ORDER = "display timer keyboard keyboard-up special special-up mouse "
                                    "motion passive-motion reshape wheel";

class WindowLayer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        seen = registered{};
        toolkit_callback_registrar_set(&recording);
        error_pending_take();
        control_words_reset();
        dos_memory_reset();
        strings_static_init();
        screen_startup();
        devices_static_init();
        devices_startup();
        mouse_reset();
        window_exists = 1;
    }
    void TearDown() override
    {
        toolkit_callback_registrar_set(nullptr);
        mouse_reset();
        window_exists = 0;
    }
};

} // namespace

TEST_F(WindowLayer, CallbacksAreRegisteredElevenInTheirOrder)
{
    glut_callbacks_register();
    EXPECT_EQ(seen.order, ELEVEN_IN_ORDER);
    EXPECT_EQ(seen.display, glut_display_callback);
    EXPECT_EQ(seen.reshape, glut_reshape_callback);
    EXPECT_EQ(seen.timer, glut_timer_callback);
    EXPECT_EQ(seen.timer_delay_ms, 8u);
    EXPECT_EQ(seen.timer_value, 0);
    // Motion with and without a button held go to the same handler; key down
    // and key up each have their own.
    EXPECT_NE(seen.motion, nullptr);
    EXPECT_EQ(seen.passive_motion, seen.motion);
    EXPECT_NE(seen.keyboard, seen.keyboard_up);
    EXPECT_NE(seen.special, seen.special_up);
    EXPECT_NE(seen.mouse, nullptr);
    EXPECT_NE(seen.wheel, nullptr);

    // A second registration makes the same calls again.
    const registered first = seen;
    seen = registered{};
    glut_callbacks_register();
    EXPECT_EQ(seen.order, ELEVEN_IN_ORDER);
    EXPECT_EQ(seen.keyboard, first.keyboard);
    EXPECT_EQ(seen.mouse, first.mouse);
}

TEST_F(WindowLayer, MouseHandlerTellsAPressFromARelease)
{
    glut_callbacks_register();
    ASSERT_NE(seen.mouse, nullptr);
    seen.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 20);
    EXPECT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_button_held(1), -1);
    seen.mouse(GLUT_LEFT_BUTTON, GLUT_UP, 10, 20);
    EXPECT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_button_held(1), 0);
    EXPECT_EQ(mouse_input_next(), 0);
}

TEST_F(WindowLayer, WheelHandlerReachesTheMouse)
{
    glut_callbacks_register();
    ASSERT_NE(seen.wheel, nullptr);
    seen.wheel(0, 1, 10, 20);
    EXPECT_EQ(mouse_input_next(), -1);
    EXPECT_EQ(mouse_wheel_get(), -1);
}

TEST(WindowClass, IsTheProgramsFileNameThenCapitalised)
{
    const char *const cases[][3] = {{"/usr/games/tarvo", "tarvo", "Tarvo"},
                                    {"9lives", "9lives", "9lives"},
                                    {"dir/", "program", "Program"}};
    for (const auto &c : cases) {
        const window_class names = window_class_of(c[0]);
        EXPECT_EQ(names.instance + " " + names.class_name, std::string(c[1]) + " " + c[2]);
    }
    EXPECT_EQ(window_class_of(nullptr).instance, "program");
}
