#include "files/file_test_support.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "core/number_scan.h"
#include "core/print_using.h"
#include "core/string_builtins.h"
#include "display/key_table.h"
#include "display/keyboard.h"
#include "files/file_bytes.h"
#include "files/file_position.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/os_handle.h"
#include "files/sequential_io.h"
#include "platform/clock.h"
#include "platform/os_files_testing.h"

namespace
{

// The type word the game passes for its SINGLE save fields.
constexpr uint32_t GAME_SINGLE_TYPE = 0x28400020;

class SequentialIo : public file_test
{
  protected:
    void open_file(const std::string &name, int32_t mode, int32_t number = 1)
    {
        ASSERT_EQ(open_error(name, mode, number), 0u) << name;
    }
    void print(const std::string &text, int32_t blank, int32_t comma, int32_t newline)
    {
        basic_text t(text);
        rt_print_file(1, t, blank, comma, newline);
    }
    int64_t column() { return os_handle_at(file_number_handle(1))->column; }
    int32_t handle() { return file_number_handle(1); }
};

// Writes the six fields as the game saves them: LTRIM$(STR$(field)) + ","
// five times without a line end, then the last field with one.
void save_fields(const float (&fields)[6])
{
    for (int i = 0; i < 6; ++i) {
        string_descriptor *text = rt_ltrim_str(rt_str_str_single(fields[i]));
        if (i < 5)
            text = string_concat(text, string_from_cstr(","));
        rt_print_file(1, text, 0, 0, i == 5);
    }
}

TEST_F(SequentialIo, TheSaveLineIsWrittenByteForByteAndReadsBack)
{
    open_file("TarvoData", OPEN_MODE_OUTPUT);
    save_fields({0, 0, 0, 0, 0, 0});
    rt_close(1, 1);
    EXPECT_EQ(file_read_all("TarvoData"), "0,0,0,0,0,0\r\n");

    open_file("TarvoData", OPEN_MODE_OUTPUT); // emptied, not overwritten in place
    save_fields({1710, 2.6f, 2245, 3032, 400, 0});
    rt_close(1, 1);
    EXPECT_EQ(file_read_all("TarvoData"), "1710,2.6,2245,3032,400,0\r\n");

    open_file("TarvoData", OPEN_MODE_INPUT);
    const float want[] = {1710, 2.6f, 2245, 3032, 400, 0};
    for (float w : want)
        EXPECT_EQ(float(rt_input_file_number(1, GAME_SINGLE_TYPE)), w);
    rt_input_file_end();
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(SequentialIo, CommaZonesAndBlanksAdvanceTheColumn)
{
    open_file("f", OPEN_MODE_OUTPUT);
    print("ab", 0, 1, 0);
    EXPECT_EQ(column(), 15);
    print("abcdefghijklmn", 0, 1, 0); // 14 characters: a whole zone is skipped
    EXPECT_EQ(column(), 43);
    print("x", 1, 0, 1);
    EXPECT_EQ(column(), 1);
    print("abcdefghijklm", 1, 1, 0); // 13 characters, blank and comma
    EXPECT_EQ(column(), 29);
    print("", 0, 1, 0); // a comma at a zone start still writes a blank
    EXPECT_EQ(column(), 43);
    print("1\r23\n4", 0, 0, 0); // CR restarts the count, LF leaves it
    EXPECT_EQ(column(), 4);
    rt_close(1, 1);
    EXPECT_EQ(file_read_all("f"), "ab" + std::string(12, ' ') + "abcdefghijklmn" +
                                      std::string(14, ' ') + "x \r\nabcdefghijklm" +
                                      std::string(15, ' ') + std::string(14, ' ') + "1\r23\n4");
}

// An item goes out in one write; a lock of another open file on its blanks
// refuses only the blanks, as writing the pieces one by one does.
TEST_F(SequentialIo, ALockOnAnItemsBlanksKeepsItsTextAndItsColumn)
{
    if (!folder_locks_here().range_locks)
        GTEST_SKIP() << "no byte-range locks on this file system";
    open_file("f", OPEN_MODE_OUTPUT);
    basic_text name("f");
    int32_t holder = os_handle_open(name, OS_ACCESS_READ | OS_ACCESS_WRITE, 0, OS_OPEN_EXISTING);
    ASSERT_EQ(os_handle_lock(holder, 2, 20), 0);
    print("ab", 0, 1, 0);
    EXPECT_EQ(error_pending_take(), 70u);
    EXPECT_EQ(column(), 15);
    EXPECT_EQ(file_read_all("f"), "ab");

    ASSERT_EQ(os_handle_unlock(holder, 2, 20), 0);
    print("cd", 1, 0, 1);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(column(), 1);
    EXPECT_EQ(file_read_all("f"), "abcd \r\n");
}

TEST_F(SequentialIo, PrintNeedsAnOutputFile)
{
    basic_text t("x");
    rt_print_file(2, t, 0, 0, 1);
    EXPECT_EQ(error_pending_take(), 52u);
    rt_print_file(0, t, 0, 0, 1);
    EXPECT_EQ(error_pending_take(), 52u);
    rt_print_file(-2, t, 0, 0, 1); // special handles take no PRINT #
    EXPECT_EQ(error_pending_take(), 0u);
    file_write_all("in", "data");
    open_file("in", OPEN_MODE_INPUT);
    rt_print_file(1, t, 0, 0, 1);
    EXPECT_EQ(error_pending_take(), 54u);
    EXPECT_EQ(file_read_all("in"), "data");
}

TEST_F(SequentialIo, LineInputReadsEveryLineEndAndStopsAtTheEnd)
{
    file_write_all("f", "abc\r\nabc\n\rabc\rabc\nlast");
    open_file("f", OPEN_MODE_INPUT);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(line_input(), "abc") << i;
    EXPECT_EQ(line_input(), "last");
    EXPECT_EQ(rt_eof(1), -1);
    string_descriptor *dest = basic_variable("unchanged");
    rt_line_input_file(1, dest);
    EXPECT_EQ(error_pending_take(), 62u);
    EXPECT_EQ(text_of(dest), "");
}

TEST_F(SequentialIo, LineInputStopsAtA26)
{
    file_write_all("f", "one\r\n\x1atwo\r\n");
    open_file("f", OPEN_MODE_INPUT);
    EXPECT_EQ(line_input(), "one");
    EXPECT_EQ(rt_eof(1), -1); // the 26 right after the line end
    EXPECT_EQ(line_input(), "<error 62>");
}

TEST_F(SequentialIo, LineInputOnBinaryFilesDropsCrAndKeepsShortLastLines)
{
    std::string long_last(600, 'z');
    file_write_all("f", "first\r\nsecond\n" + long_last);
    open_file("f", OPEN_MODE_BINARY);
    EXPECT_EQ(line_input(), "first");
    EXPECT_EQ(rt_seek_function(1), 8);
    EXPECT_EQ(line_input(), "second");
    EXPECT_EQ(rt_eof(1), 0);
    EXPECT_EQ(line_input(), long_last);
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(line_input(), "<error 62>");

    // One or two bytes after the last line feed are a line of their own.
    file_write_all("g", "line\r\nab");
    open_file("g", OPEN_MODE_BINARY, 2);
    EXPECT_EQ(line_input(2), "line");
    EXPECT_EQ(rt_eof(2), 0);
    EXPECT_EQ(line_input(2), "ab");
    EXPECT_EQ(rt_eof(2), -1);

    // A line feed as the last byte ends the file.
    file_write_all("h", "only\n");
    open_file("h", OPEN_MODE_BINARY, 3);
    EXPECT_EQ(line_input(3), "only");
    EXPECT_EQ(rt_eof(3), -1);
}

TEST_F(SequentialIo, LineInputOnBinaryFilesFindsLineFeedsBeyondTheFirstWindow)
{
    std::string a(1500, 'a'), b(511, 'b');
    file_write_all("f", a + "\r\n" + b + "\n" + "c");
    open_file("f", OPEN_MODE_BINARY);
    EXPECT_EQ(line_input(), a);
    EXPECT_EQ(line_input(), b);
    EXPECT_EQ(line_input(), "c");
}

// A line spanning several 512-byte windows is read one new window at a time:
// the read that finds the line feed (or the end) takes only its own window,
// never the whole line again from its start.
TEST_F(SequentialIo, LineInputOnBinaryFilesReadsEachWindowOnce)
{
    std::string a(2000, 'a'), b(1800, 'b'), c(511, 'c');
    file_write_all("f", a + "\n" + c + "\r\n" + b);
    open_file("f", OPEN_MODE_BINARY);
    EXPECT_EQ(line_input(), a);
    EXPECT_EQ(os_handle_last_read_count(), 512); // the window 1536-2047 of 4
    EXPECT_EQ(rt_seek_function(1), 2002);
    EXPECT_EQ(line_input(), c); // CR the last byte of a window, LF the first of the next
    EXPECT_EQ(os_handle_last_read_count(), 512);
    EXPECT_EQ(rt_seek_function(1), 2515);
    EXPECT_EQ(line_input(), b); // 512 x 3 and the last 264 bytes
    EXPECT_EQ(os_handle_last_read_count(), 264);
    EXPECT_EQ(rt_eof(1), -1);
}

TEST_F(SequentialIo, AFailingReadIsError75AndLeavesTheDestination)
{
    file_write_all("f", "abcdef\r\n");
    for (int32_t mode : {OPEN_MODE_INPUT, OPEN_MODE_BINARY}) {
        open_file("f", mode);
        os_file_fail_reads_at(os_handle_file(handle()), 3);
        EXPECT_EQ(line_input(), "<error 75>") << mode;
        EXPECT_TRUE(gives_raising(rt_input_str(5, 1, 1)->len, 0, 75));
        os_file_fail_reads_at(os_handle_file(handle()), -1);
        rt_seek(1, 1);
        EXPECT_EQ(line_input(), "abcdef");
        rt_close(1, 1);
    }
}

TEST_F(SequentialIo, LineInputNeedsAReadableTextOrBinaryFile)
{
    EXPECT_EQ(line_input(), "<error 52>");
    open_file("out", OPEN_MODE_OUTPUT);
    EXPECT_EQ(line_input(), "<error 75>");
    rt_close(1, 1);
    open_file("rnd", OPEN_MODE_RANDOM);
    EXPECT_EQ(line_input(), "<error 54>");
}

TEST_F(SequentialIo, InputStrReadsWhatBinaryFilesHoldAndRefusesPastTheEndOfTextFiles)
{
    file_write_all("f", "abcde");
    open_file("f", OPEN_MODE_BINARY);
    rt_seek(1, 4);
    string_descriptor *s = rt_input_str(3, 1, 1);
    EXPECT_TRUE(gives_raising(text_of(s), "de", 0));
    EXPECT_EQ(rt_eof(1), -1); // the read came up short
    rt_seek(1, 1);
    EXPECT_EQ(text_of(rt_input_str(2, 1, 1)), "ab");
    EXPECT_EQ(rt_eof(1), 0);
    rt_close(1, 1);

    open_file("f", OPEN_MODE_INPUT);
    EXPECT_EQ(text_of(rt_input_str(3, 1, 1)), "abc");
    EXPECT_TRUE(gives_raising(rt_input_str(3, 1, 1)->len, 0, 62));
}

TEST_F(SequentialIo, InputStrChecksTheFileBeforeAllocating)
{
    // An absurd count on an unbound number is refused before anything else.
    EXPECT_TRUE(gives_raising(rt_input_str(INT32_MAX, 5, 1)->len, 0, 52));
    open_file("out", OPEN_MODE_OUTPUT);
    EXPECT_TRUE(gives_raising(rt_input_str(1, 1, 1)->len, 0, 62));
    rt_close(1, 1);

    file_write_all("f", "abc");
    open_file("f", OPEN_MODE_BINARY);
    EXPECT_TRUE(gives_raising(rt_input_str(-1, 1, 1)->len, 0, 52));
    EXPECT_EQ(rt_input_str(0, 1, 1)->len, 0);
    EXPECT_TRUE(gives_raising(text_of(rt_input_str(INT32_MAX, 1, 1)), "abc",
                              0)); // only what the file holds
}

TEST_F(SequentialIo, InputStrFromTheKeyboardTakesOneByteAKeyUntilTheProgramEnds)
{
    EXPECT_EQ(rt_input_str(0, 0, 0)->len, 0);
    EXPECT_TRUE(gives_raising(rt_input_str(-1, 0, 0)->len, 0, 52));

    // The keyboard is the source without anything set up: F1 gives its
    // leading 0 only, and the key after the count waits for INKEY$. Should
    // the keys never arrive, the program ends after 1,000 sleeps instead.
    static int sleeps;
    sleeps = 0;
    static const clock_seam give_up{[]() -> int64_t { return 0; },
                                    [](uint32_t) {
                                        if (++sleeps == 1000)
                                            exit_acknowledged = 1;
                                    }};
    clock_seam_set(&give_up);
    keyboard_reset();
    for (int32_t code : {int32_t('a'), KEY_F1, int32_t('b'), int32_t('c')})
        keyboard_key_down_event(code);
    EXPECT_EQ(text_of(rt_input_str(3, 0, 0)), std::string("a\0b", 3));
    EXPECT_EQ(text_of(rt_inkey_str()), "c");
    keyboard_reset();
    clock_seam_set(nullptr);

    static int calls;
    calls = 0;
    input_str_key_source_set([]() -> int32_t { return ++calls % 2 ? 'a' + calls / 2 : -1; });
    EXPECT_EQ(text_of(rt_input_str(3, 0, 0)), "abc");

    input_str_key_source_set(nullptr);
    exit_acknowledged = 1; // the program is ending: no more waiting
    EXPECT_EQ(rt_input_str(4, 0, 0)->len, 4);
}

TEST_F(SequentialIo, ByteServicesEndAt26AndSkipSeparators)
{
    file_write_all("f", "12 34,x \r\n7  ,8\n\r9\x1a");
    open_file("f", OPEN_MODE_INPUT);
    int32_t h = handle();
    auto read_item = [h] {
        std::string item;
        int32_t b;
        while ((b = file_read_byte(h)) >= 0 && b != ' ' && b != ',' && b != '\r' && b != '\n')
            item += char(b);
        file_skip_separator(h, b);
        return item;
    };
    EXPECT_EQ(read_item(), "12"); // a blank before another item separates
    EXPECT_EQ(read_item(), "34");
    EXPECT_EQ(read_item(), "x"); // blanks before the line end belong to it
    EXPECT_EQ(read_item(), "7");
    EXPECT_EQ(read_item(), "8"); // LF CR counts once
    EXPECT_EQ(read_item(), "9");
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(file_read_byte(h), -1); // the 26 stays unread
    EXPECT_EQ(os_handle_tell(h), 18);
}

TEST_F(SequentialIo, SkippingALineEndPeeksForTheEndOfTheFile)
{
    file_write_all("f", "1,2\r\n\x1a");
    open_file("f", OPEN_MODE_INPUT);
    int32_t h = handle();
    EXPECT_EQ(file_read_byte(h), '1');
    file_skip_separator(h, file_read_byte(h));
    EXPECT_EQ(rt_eof(1), 0);
    EXPECT_EQ(file_read_byte(h), '2');
    file_skip_separator(h, file_read_byte(h));
    EXPECT_EQ(rt_eof(1), -1);
}

// A ported report program: READ prices from DATA, PRINT # USING a line of
// several fields per row, a format reused for a list of values, CLOSE, then
// LINE INPUT the lines back and INPUT # the listed values.
TEST_F(SequentialIo, APrintUsingReportReadsBack)
{
    const std::string data = "1.2345E3,-2.5D-1,&H1F,&o17";
    const auto *block = reinterpret_cast<const uint8_t *>(data.data());
    int32_t at_data = 0;
    long double prices[4];
    for (long double &p : prices)
        p = rt_read_number(block, &at_data, int32_t(data.size()), NUMERIC_TYPE_FLOAT | 64);

    open_file("REPORT.TXT", OPEN_MODE_OUTPUT);
    basic_text row("\\    \\_# ###  $$#,###.##  ##.#^^^^-");
    const char *names[] = {"Widget", "Nut", "Bolt", "Gear"};
    for (int i = 0; i < 4; ++i) {
        string_descriptor *line = basic_variable("");
        basic_text name(names[i]);
        int32_t at = print_using_number(row, 0, line, name);
        at = rt_print_using_integer64(row, i + 1, at, line);
        at = rt_print_using_double(row, double(prices[i]), at, line);
        EXPECT_EQ(rt_print_using_double(row, double(prices[i]), at, line), 0);
        rt_print_file(1, line, 0, 0, 1);
    }
    basic_text list("###.##");
    string_descriptor *line = basic_variable("");
    for (double v : {1.5, -2.25, 1000.0, 0.125})
        EXPECT_EQ(rt_print_using_double(list, v, 0, line), 0);
    rt_print_file(1, line, 0, 0, 1);
    rt_close(1, 1);

    open_file("REPORT.TXT", OPEN_MODE_INPUT);
    EXPECT_EQ(line_input(), "Widget#   1   $1,234.50  12.3E+02 ");
    EXPECT_EQ(line_input(), "Nut   #   2      -$0.25  25.0E-02-");
    EXPECT_EQ(line_input(), "Bolt  #   3      $31.00  31.0E+00 ");
    EXPECT_EQ(line_input(), "Gear  #   4      $15.00  15.0E+00 ");
    EXPECT_EQ(line_input(), "  1.50 -2.25%1000.00  0.13");
    rt_close(1, 1);
    open_file("REPORT.TXT", OPEN_MODE_INPUT);
    for (int i = 0; i < 4; ++i)
        line_input();
    // %1000.00 ends the item before it and is skipped with its digits.
    for (double want : {1.5, -2.25, 0.13})
        EXPECT_EQ(double(rt_input_file_number(1, NUMERIC_TYPE_FLOAT | 64)), want);
    EXPECT_TRUE(gives_raising(rt_input_file_number(1, NUMERIC_TYPE_FLOAT | 64), 0.0L, 62));
    rt_close(1, 1);
    EXPECT_EQ(error_pending_take(), 0u);
}

} // namespace
