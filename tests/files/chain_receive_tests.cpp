#include "chain_test_support.h"

#include "core/command_line.h"
#include "core/errors.h"
#include "files/chain_receive.h"
#include "screen/image_slots.h"
#include "screen/screen_startup.h"

#include <filesystem>
#include <sys/stat.h>

namespace
{

namespace fs = std::filesystem;

using ChainReceive = chain_test;

const std::string suffix = "(unique-tag:=/@*$+-)chain123.tmp";

// Runs the hand-over check on a COMMAND$ of text and gives what it leaves.
std::string command_after_receive(const std::string &text)
{
    command_line = basic_variable(text);
    chain_receive();
    return text_of(command_line);
}

std::string le32(int32_t v)
{
    std::string out;
    for (int i = 0; i < 4; i++)
        out += char(uint32_t(v) >> (8 * i));
    return out;
}

std::string handover_bytes(const std::string &dir, const std::string &stream)
{
    return le32(512) + le32(int32_t(dir.size())) + dir + stream + le32(0);
}

TEST_F(ChainReceive, OnlyAWholeHandOverSuffixIsTakenOffCommand)
{
    EXPECT_EQ(chain_handover_name("x " + suffix), "chain123.tmp");
    EXPECT_EQ(command_after_receive("/level 3 " + suffix), "/level 3");
    EXPECT_EQ(command_after_receive(suffix), "");
    EXPECT_FALSE(fs::exists("chain123.tmp")); // a missing file is never made

    const std::string kept[] = {suffix.substr(1), "x (unique-tag:=/@*$+-)chain123.txt",
                                "x (unique-tag:=/@*$+-)chian123.tmp", "plain arguments", ""};
    for (const std::string &text : kept) {
        EXPECT_EQ(command_after_receive(text), text);
        EXPECT_EQ(chain_handover_name(text), "");
    }
    command_line = nullptr; // no COMMAND$ built: nothing to do
    chain_receive();
    EXPECT_EQ(error_pending_take(), 0u);
}

// A sound file: the screen comes back, the file goes, the program moves to
// the directory and keeps its own arguments.
TEST_F(ChainReceive, SoundFileRestoresScreenDeletesFileEntersDirectory)
{
    chain_screen_set_up(chain_screen::mode13);
    screen_snapshot sent = screen_snapshot_take();
    fs::create_directory("work dir");
    const std::string work = fs::current_path().string() + "/work dir";
    file_write_all("chain123.tmp", handover_bytes(work, chain_stream_save()));
    screen_startup();
    EXPECT_EQ(command_after_receive("a b " + suffix), "a b");
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_TRUE(screen_snapshot_take() == sent);
    EXPECT_EQ(fs::current_path().string(), work);
    EXPECT_FALSE(fs::exists("../chain123.tmp"));
}

// Files that fail the checks are neither restored nor deleted, and the
// program stays where it is.
TEST_F(ChainReceive, UnsoundFilesAreLeftAlone)
{
    chain_screen_set_up(chain_screen::mode13);
    const std::string stream = chain_stream_save();
    const std::string here = fs::current_path().string();
    const std::string bad[] = {
        le32(513) + le32(1) + "/" + stream,
        le32(512) + le32(4096) + std::string(4096, 'd') + stream,
        le32(512) + le32(-1) + stream,
        le32(512) + le32(100) + "/",
        le32(512),
    };
    for (const std::string &bytes : bad) {
        file_write_all("chain123.tmp", bytes);
        screen_startup();
        EXPECT_EQ(command_after_receive("x " + suffix), "x");
        EXPECT_EQ(image_slot_get(page_table[0])->mode, 0);
        EXPECT_EQ(file_read_all("chain123.tmp"), bytes);
        EXPECT_EQ(fs::current_path().string(), here);
    }
    // A name outside the designed shape is not even opened.
    file_write_all("chain099.tmp", handover_bytes("/", stream));
    EXPECT_EQ(command_after_receive("(unique-tag:=/@*$+-)chain099.tmp"), "");
    EXPECT_TRUE(fs::exists("chain099.tmp"));
    EXPECT_EQ(error_pending_take(), 0u);
}

// A file that cannot be deleted (no write bit) is still taken, quietly.
TEST_F(ChainReceive, UndeletableFileIsTakenQuietly)
{
    chain_screen_set_up(chain_screen::mode13);
    file_write_all("chain123.tmp", handover_bytes("", chain_stream_save()));
    chmod("chain123.tmp", 0444);
    screen_startup();
    EXPECT_EQ(command_after_receive(suffix), "");
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(image_slot_get(page_table[0])->mode, 13);
}

} // namespace
