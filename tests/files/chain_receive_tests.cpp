#include "files/file_test_support.h"

#include "core/command_line.h"
#include "files/chain_receive.h"

namespace
{

using ChainReceive = file_test;

// Runs the hand-over check on a COMMAND$ of text and gives what it leaves.
std::string command_after_receive(const std::string &text)
{
    command_line = basic_variable(text);
    chain_receive();
    return text_of(command_line);
}

TEST_F(ChainReceive, OnlyAWholeHandOverSuffixIsTakenOffCommand)
{
    const std::string suffix = "(unique-tag:=/@*$+-)chain123.tmp";
    EXPECT_EQ(chain_handover_name("x " + suffix), "chain123.tmp");
    EXPECT_EQ(command_after_receive("/level 3 " + suffix), "/level 3");
    EXPECT_EQ(command_after_receive(suffix), "");

    const std::string kept[] = {suffix.substr(1), "x (unique-tag:=/@*$+-)chain123.txt",
                                "x (unique-tag:=/@*$+-)chian123.tmp", "plain arguments", ""};
    for (const std::string &text : kept) {
        EXPECT_EQ(command_after_receive(text), text);
        EXPECT_EQ(chain_handover_name(text), "");
    }
    command_line = nullptr; // no COMMAND$ built: nothing to do
    chain_receive();
}

} // namespace
