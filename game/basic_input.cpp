#include "core/control_words.h"
#include "core/program_thread.h"
#include "game/shared_routines.h"
#include "screen/input_editor.h"
#include "screen/text_output.h"

void basic_input(string_descriptor *prompt, string_descriptor *target)
{
    rt_print(prompt, PRINT_STAY);
    input_target_set(1, target, INPUT_TYPE_STRING);
    rt_input(1, 1);
    if (exit_acknowledged.load())
        program_end_wait();
}
