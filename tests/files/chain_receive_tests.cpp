#include "files/file_test_support.h"

#include "files/chain_receive.h"
#include "files/command_line.h"

namespace
{

using ChainReceive = file_test;

TEST_F(ChainReceive, ChainReceiveRemovesOnlyAWholeHandOverSuffix)
{
    const std::string suffix = "(unique-tag:=/@*$+-)chain123.tmp";
    EXPECT_EQ(chain_handover_name("x " + suffix), "chain123.tmp");

    command_line_set("/level 3 " + suffix);
    chain_receive();
    EXPECT_EQ(command_line_get(), "/level 3");
    command_line_set(suffix);
    chain_receive();
    EXPECT_EQ(command_line_get(), "");

    const std::string kept_lines[] = {suffix.substr(1), "x (unique-tag:=/@*$+-)chain123.txt",
                                      "x (unique-tag:=/@*$+-)chian123.tmp", "plain arguments"};
    for (const std::string &kept : kept_lines) {
        command_line_set(kept);
        chain_receive();
        EXPECT_EQ(command_line_get(), kept);
        EXPECT_EQ(chain_handover_name(kept), "");
    }
}

} // namespace
