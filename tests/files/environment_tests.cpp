#include "files/file_test_support.h"

#include "core/errors.h"
#include "core/rnd.h"
#include "core/traps.h"
#include "files/environment.h"
#include "files/run_state.h"
#include "platform/message_box.h"
#include "platform/os_environment.h"
#include "screen/image_slots.h"
#include "screen/screen_modes.h"
#include "screen/screen_startup.h"
#include "screen/text_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// Each case starts as a program does, with the runtime's copy of a process
// environment that holds RT_ENV_A set to "one", and leaves nothing set.
class Environment : public file_test
{
  protected:
    void SetUp() override
    {
        file_test::SetUp();
        setenv("RT_ENV_A", "one", 1);
        os_environment_startup();
    }
    void TearDown() override
    {
        for (const char *name : {"RT_ENV_A", "RT_ENV_B", "rt_env_two", "RT_ENV_TWO", "rt_env_b"})
            unsetenv(name);
        os_environment_startup();
        file_test::TearDown();
    }
    static std::optional<std::string> table(const char *name) { return os_environment_get(name); }
    static std::string value(const std::string &name)
    {
        basic_text text(name);
        return text_of(rt_environ_str_name(text));
    }
    static void environ_text(const std::string &text)
    {
        basic_text t(text);
        rt_environ(t);
    }
    static int32_t entries()
    {
        int32_t n = 0;
        while (!text_of(rt_environ_str_index(n + 1)).empty())
            ++n;
        return n;
    }
};

TEST_F(Environment, EnvironAddsOverwritesRemovesOrLeavesAlone)
{
    struct {
        std::string text;
        std::optional<std::string> a;
        std::optional<std::string> b;
    } steps[] = {
        {"RT_ENV_B=two", "one", "two"},
        {"RT_ENV_A=uno", "uno", "two"},
        {"rt_env_a=eins", "eins", "two"},
        {"RT_ENV_B=", "eins", std::nullopt},
        {"RT_ENV_A", "eins", std::nullopt},
        {"=x", "eins", std::nullopt},
        {"RT_ENV_A=a=b", "a=b", std::nullopt},
        {std::string("RT_ENV_A=\0x", 11), "a=b", std::nullopt},
    };
    for (const auto &s : steps) {
        environ_text(s.text);
        EXPECT_EQ(table("RT_ENV_A"), s.a) << s.text;
        EXPECT_EQ(table("RT_ENV_B"), s.b) << s.text;
    }
    const std::vector<std::string> entries = os_environment_entries();
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "RT_ENV_A=a=b"), 1); // the name was kept
    // The C library's environment, which other threads read, is never changed.
    EXPECT_STREQ(std::getenv("RT_ENV_A"), "one");
    EXPECT_EQ(std::getenv("RT_ENV_B"), nullptr);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(Environment, ValueByNameExactFirstThenOneMatchIgnoringCase)
{
    EXPECT_EQ(value("RT_ENV_A"), "one");
    EXPECT_EQ(value("rt_Env_a"), "one");
    setenv("rt_env_two", "lower", 1);
    setenv("RT_ENV_TWO", "upper", 1);
    setenv("RT_ENV_B", "", 1);
    os_environment_startup();
    EXPECT_EQ(value("rt_env_two"), "lower");
    EXPECT_EQ(value("Rt_Env_Two"), ""); // two candidates: neither
    for (const char *name : {"RT_ENV_NONE", "", "RT_ENV_A=one"})
        EXPECT_EQ(value(name), "") << name;
    EXPECT_EQ(value("RT_ENV_B"), "");
}

// The first line printenv prints, started directly (a shell between would
// reorder the environment).
std::string printenv_first_line()
{
    int out[2];
    if (pipe(out) != 0)
        return "";
    pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        execlp("printenv", "printenv", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        text += c;
    close(out[0]);
    waitpid(child, nullptr, 0);
    return text;
}

// The environment's entries are counted when asked: ENVIRON changes show.
TEST_F(Environment, EntriesByNumberFollowTheEnvironmentNow)
{
    EXPECT_EQ(text_of(rt_environ_str_index(1)), printenv_first_line());

    const int32_t count = entries();
    EXPECT_EQ(error_pending_take(), 0u);
    environ_text("RT_ENV_B=new");
    EXPECT_EQ(entries(), count + 1);
    environ_text("RT_ENV_B=again");
    EXPECT_EQ(entries(), count + 1);
    EXPECT_EQ(text_of(rt_environ_str_index(count + 2)), "");
    for (int32_t n : {0, -1})
        EXPECT_EQ(text_of(rt_environ_str_index(n)), "");
    EXPECT_EQ(error_pending_take(), 5u);
}

// ENVIRON "X=1", then ENVIRON$("X") and a walk of ENVIRON$(n) up to the
// first empty entry, as a program lists its environment; then removed.
TEST_F(Environment, SetValueShowsByNameAndOnceInTheWalk)
{
    auto walk_finds = [](const std::string &entry) {
        int32_t found = 0;
        for (int32_t n = 1; n < 100000; ++n) {
            std::string e = text_of(rt_environ_str_index(n));
            if (e.empty())
                break;
            found += e == entry;
        }
        return found;
    };
    environ_text("RT_ENV_B=1");
    EXPECT_EQ(value("RT_ENV_B"), "1");
    EXPECT_EQ(walk_finds("RT_ENV_B=1"), 1);
    EXPECT_EQ(walk_finds("RT_ENV_A=one"), 1);
    environ_text("RT_ENV_B=");
    EXPECT_EQ(value("RT_ENV_B"), "");
    EXPECT_EQ(walk_finds("RT_ENV_B=1"), 0);
    EXPECT_EQ(error_pending_take(), 0u);
}

// The environment keeps its own copy: the program's string may go.
TEST_F(Environment, SetValueOutlivesTheProgramsString)
{
    string_descriptor *t = string_new(14, true);
    std::memcpy(t->chr, "RT_ENV_B=heldX", 14);
    rt_environ(t);
    std::memset(t->chr, '#', 14);
    string_free(t);
    EXPECT_EQ(table("RT_ENV_B"), "heldX");
}

std::string box_text, box_caption;
uint32_t box_type;

int box_record(const char *text, const char *caption, uint32_t type)
{
    box_text = text;
    box_caption = caption;
    box_type = type;
    return MESSAGE_BOX_RESULT_OK;
}

TEST(ValueBox, ShowsStrOfTheValue)
{
    platform_message_box_seam_set(box_record);
    for (auto [v, shown] : {std::pair<int64_t, const char *>{42, " 42"},
                            {-7, "-7"},
                            {INT64_MIN, "-9223372036854775808"}}) {
        debug_showvalue(v);
        EXPECT_EQ(box_text, shown);
        EXPECT_EQ(box_caption, "showvalue");
        EXPECT_EQ(box_type, MESSAGE_BOX_SYSTEM_MODAL | MESSAGE_BOX_OK);
    }
    platform_message_box_seam_set(nullptr);
}

TEST(RunStateReset, FromAGraphicsModeWithTrapsPending)
{
    error_pending_take();
    frame_builder_started = false;
    auto_display = 1;
    screen_startup();
    text_output_reset();
    rnd_reset();
    const float first = rt_rnd(1, false);
    rt_rnd(1, false);
    key_trap_set(3, 9, 0, 0);
    key_trap_state(3, TRAP_ACTION_ON);
    key_trap_table[3].pending.store(2);
    rt_screen(12, 0, 0, 0, 0, SCREEN_MODE_GIVEN);
    rt_color(14, 1, 0, 3);
    ASSERT_EQ(error_pending_take(), 0u);
    ASSERT_EQ(write_page.record->mode, 12);

    screen_reset_text();
    EXPECT_EQ(error_pending_take(), 0u);
    const image_slot *page = write_page.record;
    EXPECT_EQ(page->mode, 0);
    EXPECT_EQ(page->text_mode, 1);
    EXPECT_EQ(page->width, 80);
    EXPECT_EQ(page->height, 25);
    EXPECT_EQ(page->fore_color, 7u);
    EXPECT_EQ(page->back_color, 0u);
    EXPECT_EQ(key_trap_table[3].handler.load(), 0u);
    EXPECT_EQ(key_trap_table[3].state.load(), TRAP_OFF);
    EXPECT_EQ(key_trap_table[3].pending.load(), 0);
    EXPECT_EQ(rt_rnd(1, false), first);
}

} // namespace
