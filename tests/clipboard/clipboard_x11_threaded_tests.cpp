// The clipboard against another X client (tests/programs/clipboard_peer) on
// an Xvfb display of this process's own, through the runtime's
// clipboard_set and clipboard_get_str. The clipboard's helper thread answers
// the peer while the test thread sets and reads.
#include "display/window_services.h"

#include "core/strings.h"
#include "platform/clipboard.h"
#include "platform/clipboard_text.h"
#include "platform/os_environment.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace
{

using namespace std::chrono_literals;
using steady = std::chrono::steady_clock;
const std::string PEER = RT_TEST_PROGRAM_DIR "/clipboard_peer";

// Xvfb on a display number it picks itself, for the whole process. It ends
// when this process ends (pass, fail or crash), so no connection of the
// clipboard ever sees the server go away first. It does not reset when its
// last client leaves: a client connecting meanwhile would be cut off.
class xvfb_environment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(fds[1], 3);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 2);
            execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset",
                  "-screen", "0", "64x64x24", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The number comes in two writes, number and newline: read both, or
        // the server fails writing the second.
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
        os_environment_startup();
    }
};
const auto *xvfb = ::testing::AddGlobalTestEnvironment(new xvfb_environment);

// A peer process, ended and reaped when it goes out of scope.
class peer
{
  public:
    explicit peer(std::vector<std::string> args)
    {
        int fds[2];
        EXPECT_EQ(pipe2(fds, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        args.insert(args.begin(), PEER);
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, PEER.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
    }
    peer(peer &&other) noexcept
        : pid_(std::exchange(other.pid_, -1)), out_(std::exchange(other.out_, -1)),
          exited_(other.exited_)
    {
    }
    ~peer()
    {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }
    // Waits for the serving peer's "owned".
    bool owns()
    {
        char line[8] = {};
        return read(out_, line, 6) == 6 && std::string(line) == "owned\n";
    }
    // The exit code; -1 when the peer did not end within 20 seconds.
    int exit_code()
    {
        for (auto deadline = steady::now() + 20s; steady::now() < deadline;) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(5ms);
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool exited_ = false;
};

// Bytes 1 to 255 in a scrambled order, so that a chunk out of place shows.
std::string text_of_size(size_t n)
{
    std::string text(n, ' ');
    uint32_t state = 12345;
    for (char &c : text) {
        state = state * 1103515245u + 12345u;
        c = char(1 + (state >> 16) % 255);
    }
    return text;
}

// What the peer receives for a target, and serves for a type, to stand for
// the runtime's text.
std::string bytes_for(const std::string &target, const std::string &text)
{
    return target == "UTF8_STRING" ? latin1_to_utf8(text) : text;
}

class ClipboardX11 : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        strings_static_init();
        platform_clipboard_reset();
        file_ = (std::filesystem::temp_directory_path() /
                 ("clipboard_peer_" + std::to_string(getpid())))
                    .string();
    }
    void TearDown() override { std::filesystem::remove(file_); }

    static void program_set(const std::string &text)
    {
        clipboard_set(string_from_buffer(text.data(), int32_t(text.size())));
    }
    static std::string program_get()
    {
        string_descriptor *s = clipboard_get_str();
        std::string text = text_of(s);
        string_free(s);
        return text;
    }
    // The clipboard as the peer reads it for the target; "<none>" when it
    // reads nothing.
    std::string peer_read(const std::string &target)
    {
        std::filesystem::remove(file_);
        if (peer({"read", target, file_}).exit_code() != 0)
            return "<none>";
        return file_read_all(file_);
    }
    // A peer that owns the clipboard and serves the bytes as the type.
    peer peer_serving(const std::string &type, const std::string &bytes, const std::string &mode)
    {
        file_write_all(file_, bytes);
        peer p({"serve", type, file_, mode});
        EXPECT_TRUE(p.owns());
        return p;
    }

    std::string file_;
};

const std::vector<std::string> TARGETS = {"STRING", "UTF8_STRING"};

TEST_F(ClipboardX11, ProgramTextsOfEverySizeReachAnotherClientByteForByte)
{
    for (size_t size : {60000, 300000, 1048576}) {
        const std::string text = text_of_size(size);
        program_set(text);
        for (const std::string &target : TARGETS)
            EXPECT_TRUE(peer_read(target) == bytes_for(target, text)) << size << " " << target;
    }
}

TEST_F(ClipboardX11, TextsOfEverySizeFromAnotherClientArriveByteForByte)
{
    const struct {
        size_t size;
        const char *mode;
    } cases[] = {{60000, "whole"}, {70000, "incr"}, {300000, "incr"}, {1048576, "incr"}};
    for (const auto &c : cases) {
        const std::string text = text_of_size(c.size);
        for (const std::string &type : TARGETS) {
            peer owner = peer_serving(type, bytes_for(type, text), c.mode);
            EXPECT_TRUE(program_get() == text) << c.size << " " << type;
        }
    }
}

TEST_F(ClipboardX11, TextIsKeptUpToItsFirstZeroByte)
{
    program_set(std::string("a\0b", 3));
    EXPECT_EQ(program_get(), "a");
    EXPECT_EQ(peer_read("STRING"), "a");
    const std::string long_head = text_of_size(70000);
    for (const char *mode : {"whole", "incr"}) {
        const std::string head = mode == std::string("whole") ? "a" : long_head;
        peer owner = peer_serving("STRING", head + std::string("\0b", 2), mode);
        EXPECT_TRUE(program_get() == head) << mode;
    }
}

TEST_F(ClipboardX11, AnOwnerThatStopsAnIncrementalAnswerGivesEmptyTextAndTheProgramGoesOn)
{
    {
        peer owner = peer_serving("UTF8_STRING", text_of_size(300000), "stall");
        const auto start = steady::now();
        EXPECT_EQ(program_get(), "");
        const auto waited = steady::now() - start;
        EXPECT_GE(waited, 1s);
        EXPECT_LT(waited, 15s);
    }
    peer owner = peer_serving("STRING", "after", "whole");
    EXPECT_EQ(program_get(), "after");
    program_set("goes on");
    EXPECT_EQ(program_get(), "goes on");
}

TEST_F(ClipboardX11, RequestorsThatStopOrVanishHoldUpNoOther)
{
    const std::string text = text_of_size(300000);
    program_set(text);
    peer stalled({"read-stall", "STRING"});
    // A vanished requestor makes the next chunk fail (BadWindow) when the
    // clipboard writes it after the window went: several to meet that case.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(peer({"read-vanish", "UTF8_STRING"}).exit_code(), 0);
    for (const std::string &target : TARGETS)
        EXPECT_TRUE(peer_read(target) == bytes_for(target, text)) << target;
    EXPECT_TRUE(program_get() == text);
}

} // namespace
