// PRINT DATE$ and PRINT TIME$ on a console page, one line each.
#include "console_program.h"

#include "core/basic.h"
#include "core/guarded_math.h"
#include "screen/text_output.h"

int main()
{
    console_program_start();
    basic_procedure p;
    p.stmt(10, [&] { rt_print(rt_date_str(), PRINT_NEWLINE); });
    p.stmt(20, [&] { rt_print(rt_time_str(), PRINT_NEWLINE); });
    return 0;
}
