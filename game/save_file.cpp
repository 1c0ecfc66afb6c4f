#include "game/save_file.h"

#include "core/errors.h"
#include "core/number_scan.h"
#include "core/string_builtins.h"
#include "files/open_close.h"
#include "files/sequential_io.h"
#include "files/system_queries.h"
#include "game/game_basic.h"
#include "game/game_state.h"

namespace
{

constexpr int32_t SAVE_FILE_NUMBER = 1;

// The INPUT # type word of a SINGLE target: 32 bits, floating point.
constexpr uint32_t SINGLE_TYPE_WORD = 0x20000000u | 32u;

float *const save_fields[6] = {&herb_angelica,    &herb_pennyroyal, &herb_mugwort,
                               &herb_cotton_root, &ending_seen,     &save_spare};

// LTRIM$(STR$(value)) as a temporary.
string_descriptor *field_text(float value)
{
    return rt_ltrim_str(rt_str_str_single(value));
}

// One numeric item of INPUT #1 into a SINGLE. Once an error is pending the
// statement's remaining items are skipped and their targets keep their values.
void input_single(float *target)
{
    if (error_pending.load())
        return;
    long double value = rt_input_file_number(SAVE_FILE_NUMBER, SINGLE_TYPE_WORD);
    if (!error_pending.load())
        *target = static_cast<float>(value);
}

} // namespace

void save_progress(basic_procedure &p)
{
    // The new line replaces the old only when every statement up to the CLOSE
    // went through. The first that fails deletes the temporary file at once,
    // so that even a program ended at its error box leaves the old file and
    // no temporary one; the statements after it run as before and raise their
    // own errors.
    bool whole = true;
    auto save_statement = [&](uint32_t line, auto &&body) {
        p.stmt(line, [&] {
            body();
            if (error_pending.load() && whole) {
                whole = false;
                replacing_abandon(save_file_name);
            }
        });
    };
    save_statement(2200, [&] { string_set(save_file_name, text(SAVE_FILE_NAME)); });
    save_statement(2201, [&] { rt_open_replacing(save_file_name, SAVE_FILE_NUMBER); });
    // PRINT #1, LTRIM$(STR$(field)) + ","; for the first five fields.
    for (uint32_t i = 0; i < 5; ++i)
        save_statement(2202 + i, [&] {
            rt_print_file(SAVE_FILE_NUMBER, string_concat(field_text(*save_fields[i]), text(",")),
                          0, 0, 0);
        });
    save_statement(2207, [&] { rt_print_file(SAVE_FILE_NUMBER, field_text(save_spare), 0, 0, 1); });
    p.stmt(2208, [&] { rt_close_replacing(SAVE_FILE_NUMBER, save_file_name, whole); });
    p.stmt(2209, [&] { game_return(); });
}

void save_load_or_create(basic_procedure &p)
{
    bool exists = false;
    p.stmt(30, [&] { exists = file_exists(text(SAVE_FILE_NAME)) != 0; });
    if (!exists) {
        game_gosub(p, 35, RP_STARTUP_SAVE, [&] { save_progress(p); });
        return;
    }
    p.stmt(31, [&] { string_set(save_file_name, text(SAVE_FILE_NAME)); });
    p.stmt(32, [&] { rt_open(save_file_name, OPEN_MODE_INPUT, 0, 0, SAVE_FILE_NUMBER, 0, 0); });
    p.stmt(33, [&] {
        for (float *field : save_fields)
            input_single(field);
        rt_input_file_end();
    });
    p.stmt(34, [&] { rt_close(0, 0); });
}
