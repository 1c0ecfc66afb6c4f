#include "core/control_words.h"
#include "core/program_thread.h"
#include "game/runtime_pending.h"
#include "game/shared_routines.h"
#include "screen/text_output.h"

namespace
{

// The INPUT type word of a variable-length string target.
constexpr uint32_t STRING_TYPE_WORD = 0x40000000u;

} // namespace

void basic_input(string_descriptor *prompt, string_descriptor *target)
{
    rt_print(prompt, PRINT_STAY);
    input_target_set(1, target, STRING_TYPE_WORD);
    rt_input(1, 1);
    if (exit_acknowledged.load())
        program_end_wait();
}
