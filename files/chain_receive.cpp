#include "files/chain_receive.h"

#include "core/command_line.h"

namespace
{

constexpr const char *HANDOVER_TAG = "(unique-tag:=/@*$+-)chain";
constexpr size_t HANDOVER_TAG_LENGTH = 25;
constexpr size_t HANDOVER_SUFFIX_LENGTH = 32; // the tag, three digits, ".tmp"
constexpr size_t HANDOVER_NAME_LENGTH = 12;   // "chain", three digits, ".tmp"

} // namespace

std::string chain_handover_name(const std::string &command)
{
    if (command.size() < HANDOVER_SUFFIX_LENGTH)
        return {};
    size_t suffix = command.size() - HANDOVER_SUFFIX_LENGTH;
    if (command.compare(command.size() - 4, 4, ".tmp") != 0 ||
        command.compare(suffix, HANDOVER_TAG_LENGTH, HANDOVER_TAG) != 0)
        return {};
    return command.substr(command.size() - HANDOVER_NAME_LENGTH);
}

void chain_receive()
{
    if (!command_line)
        return;
    std::string command(reinterpret_cast<const char *>(command_line->chr),
                        size_t(command_line->len));
    if (chain_handover_name(command).empty())
        return;
    // The hand-over file's screen state is restored here once CHAIN's state
    // stream exists. The suffix is the runtime's, not the program's: COMMAND$
    // loses it, and the blank before it, in place.
    command_line->len -= int32_t(HANDOVER_SUFFIX_LENGTH);
    if (command_line->len > 0)
        command_line->len -= 1;
}
