#include "files/file_test_support.h"
#include "files/pty_support.h"
#include "files/record_test_support.h"

#include "core/errors.h"
#include "core/number_scan.h"
#include "files/environment.h"
#include "files/file_position.h"
#include "files/get_put.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/os_handle.h"
#include "files/sequential_io.h"
#include "platform/os_environment.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace
{

class ComDevice : public file_test
{
  protected:
    pty_line line_{1};

    // Waits until LOC(1) reports count bytes waiting.
    void arrival_wait(int64_t count)
    {
        for (long long end = pty_now_ms() + 2000; rt_loc(1) < count && pty_now_ms() < end;)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(rt_loc(1), count);
    }
    std::string input_str(int32_t count) { return text_of(rt_input_str(count, 1, 1)); }
};

std::string all_byte_values()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    return bytes;
}

// The settings the device reports, as stty prints them in English whatever
// the user's language.
std::string stty_of(const std::string &path)
{
    std::string out;
    if (FILE *p = popen(("env -u LANGUAGE LC_ALL=C.UTF-8 stty -a -F " + path).c_str(), "r")) {
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, p))
            out.append(buffer, n);
        pclose(p);
    }
    std::replace(out.begin(), out.end(), '\n', ' ');
    return " " + out + " ";
}

TEST_F(ComDevice, AllByteValuesPassBothWays)
{
    basic_text name("COM1:9600,N,8,1");
    int32_t h = os_handle_open(name, OS_ACCESS_READ | OS_ACCESS_WRITE, 0, OS_OPEN_FALL_BACK);
    ASSERT_GE(h, 0);
    const std::string bytes = all_byte_values();
    ASSERT_EQ(os_handle_write(h, -1, bytes.data(), 256), 0);
    EXPECT_EQ(line_.receive(256), bytes);
    line_.send(bytes);
    std::string got(256, '\0');
    ASSERT_EQ(os_handle_read(h, -1, got.data(), 256), 0);
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(os_handle_size(h), 0); // a port has no length
    EXPECT_EQ(os_handle_close(h), 0);
}

TEST_F(ComDevice, TheLineGetsTheSettingsAskedFor)
{
    // A pseudo-terminal always keeps 8 data bits without parity generation
    // (its driver fixes cs8 and -parenb); speed, stop bits, the kind of
    // parity, its check and flow control show as asked.
    struct {
        const char *name;
        std::vector<const char *> shown;
    } cases[] = {
        {"COM1:9600,N,8,1",
         {"speed 9600", " cs8 ", " -parenb ", " -cstopb ", " -icanon ", " -echo ", " -inpck ",
          " -opost "}},
        {"COM1:1200,E,7,2", {"speed 1200", " -parodd ", " -cmspar ", " cstopb ", " inpck "}},
        {"COM1:300,O,5,1.5", {"speed 300", " parodd ", " -cmspar ", " cstopb "}},
        {"COM1:2400,S,6", {"speed 2400", " -parodd ", " cmspar ", " -cstopb "}},
        {"COM1:2400,M,7,1,RS", {" parodd ", " cmspar ", " -crtscts "}},
        {"COM1:19200,PE,7", {"speed 19200", " -parodd ", " -cmspar ", " inpck "}},
        {"COM1:115200,N,8", {"speed 115200", " -parodd ", " -cmspar ", " -inpck "}},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(open_error(c.name, OPEN_MODE_RANDOM), 0u) << c.name;
        std::string shown = stty_of(line_.slave_path());
        for (const char *want : c.shown)
            EXPECT_NE(shown.find(want), std::string::npos) << c.name << ": " << want << "\n"
                                                           << shown;
        rt_close(1, 1);
    }
    // A speed without a termios constant goes through termios2; every open
    // sets both directions to the speed asked, also after such a speed.
    for (long speed : {12345L, 9600L, 2400L}) {
        ASSERT_EQ(open_error("COM1:" + std::to_string(speed) + ",N,8", OPEN_MODE_RANDOM), 0u);
        EXPECT_EQ(pty_line_speeds(line_.slave_path()), std::make_pair(speed, speed));
        rt_close(1, 1);
    }
}

TEST_F(ComDevice, ReadsWaitTheDsTimeAndThenComeUpShort)
{
    ASSERT_EQ(open_error("COM1:9600,N,8,1,DS300", OPEN_MODE_BINARY), 0u);
    int32_t h = file_number_handle(1);
    line_.send("abc");
    char buffer[10];
    long long start = pty_now_ms();
    EXPECT_EQ(os_handle_read(h, -1, buffer, 10), OS_HANDLE_SHORT_READ);
    long long waited = pty_now_ms() - start;
    EXPECT_EQ(os_handle_last_read_count(), 3);
    EXPECT_EQ(std::string(buffer, 10), std::string("abc\0\0\0\0\0\0\0", 10));
    EXPECT_GE(waited, 280);
    EXPECT_LT(waited, 3000);
    rt_close(1, 1);

    ASSERT_EQ(open_error("COM1:9600,N,8,1,DS0", OPEN_MODE_BINARY), 0u);
    start = pty_now_ms();
    EXPECT_EQ(os_handle_read(file_number_handle(1), -1, buffer, 10), OS_HANDLE_SHORT_READ);
    EXPECT_LT(pty_now_ms() - start, 250); // nothing there: back at once
}

TEST_F(ComDevice, WritesGiveUpAfterTheCsTimeWhenNobodyReads)
{
    ASSERT_EQ(open_error("COM1:9600,N,8,1,CS150", OPEN_MODE_OUTPUT), 0u);
    const std::string block(1 << 20, 'x'); // more than the line can queue
    long long start = pty_now_ms();
    EXPECT_EQ(os_handle_write(file_number_handle(1), -1, block.data(), int64_t(block.size())),
              OS_HANDLE_SHORT_WRITE);
    long long waited = pty_now_ms() - start;
    EXPECT_GE(waited, 140);
    EXPECT_LT(waited, 3000);
    basic_text more("more");
    rt_print_file(1, more, 0, 0, 0);
    EXPECT_EQ(error_pending_take(), 75u);
}

TEST_F(ComDevice, APortIsOpenedByOneOpenerAtATime)
{
    ASSERT_EQ(open_error("COM1:9600,N,8,1", OPEN_MODE_RANDOM, 1), 0u);
    EXPECT_EQ(open_error("COM1:9600,N,8,1", OPEN_MODE_RANDOM, 2), 68u);
    EXPECT_EQ(file_number_in_use(2), 0);
    rt_close(1, 1);
    // The same name again, twice in a row: a parse leaves nothing behind.
    EXPECT_EQ(open_error("COM1:9600,N,8,1", OPEN_MODE_RANDOM, 2), 0u);
    rt_close(2, 1);
    EXPECT_EQ(open_error("COM1:9600,N,8,1", OPEN_MODE_RANDOM, 2), 0u);
}

TEST_F(ComDevice, MissingOrNonSerialDevicesAndBadNamesAreRefused)
{
    os_environment_put("COM3_DEVICE=/nonexistent/tty");
    EXPECT_EQ(open_error("COM3:", OPEN_MODE_RANDOM), 68u);
    file_write_all("plain", "x");
    os_environment_put("COM3_DEVICE=plain");
    EXPECT_EQ(open_error("COM3:", OPEN_MODE_INPUT), 68u);
    os_environment_put("COM3_DEVICE=");
    EXPECT_EQ(open_error("COM1:9600,Q", OPEN_MODE_OUTPUT), 64u);
    EXPECT_FALSE(file_exists_on_disk("COM1:9600,Q"));
    EXPECT_EQ(file_number_in_use(1), 0);
    EXPECT_EQ(rt_freefile(), 1);
}

TEST_F(ComDevice, InputItemsLoseNoByteAtLineEnds)
{
    ASSERT_EQ(open_error("COM1:9600,N,8,1,DS100", OPEN_MODE_INPUT), 0u);
    line_.send("12\r34\r5,6\n\r7\r\n");
    for (int want : {12, 34, 5, 6, 7})
        EXPECT_EQ(int(rt_input_file_number(1, 16)), want);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(rt_eof(1), -1);
}

TEST_F(ComDevice, EofAndLocTellWhatIsWaiting)
{
    ASSERT_EQ(open_error("COM1:9600,N,8,1,DS100", OPEN_MODE_INPUT), 0u);
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(rt_loc(1), 0);
    line_.send("ab\rc");
    arrival_wait(4);
    EXPECT_EQ(rt_eof(1), 0);
    EXPECT_EQ(line_input(), "ab"); // the byte after the CR is kept, not lost
    EXPECT_EQ(rt_loc(1), 1);
    EXPECT_EQ(input_str(1), "c");
    EXPECT_EQ(rt_loc(1), 0);
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_TRUE(gives_raising(input_str(1), "", 62)); // the time ran out: the end of the data
    line_.send("d\x1a"); // in an INPUT port a 26 ends the data, as in a file
    arrival_wait(2);
    EXPECT_EQ(input_str(1), "d");
    EXPECT_EQ(rt_eof(1), 0);
    EXPECT_TRUE(gives_raising(input_str(1), "", 62));
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(rt_loc(1), 1);
}

TEST_F(ComDevice, BinaryPortsReadLinesAndCountsWithoutALength)
{
    ASSERT_EQ(open_error("COM1:9600,N,8,1,DS200", OPEN_MODE_BINARY), 0u);
    line_.send("abc\r\nxyz\n12345678\n");
    EXPECT_EQ(line_input(), "abc");
    EXPECT_EQ(line_input(), "xyz");
    EXPECT_EQ(input_str(8), "12345678"); // LOF is 0: the count alone decides
    EXPECT_EQ(line_input(), "");
    EXPECT_EQ(input_str(4), ""); // nothing came within the time: no error
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(line_input(), "<error 62>");
    line_.send("end"); // a line cut short by the time-out comes as it is
    EXPECT_EQ(line_input(), "end");
}

// A program reading records with GET learns from EOF whether the last one
// timed out, whatever has arrived since (in INPUT mode EOF tells instead
// whether anything is waiting).
TEST_F(ComDevice, EofOfARecordPortTellsWhetherTheLastGetCameUpShort)
{
    for (int32_t mode : {OPEN_MODE_BINARY, OPEN_MODE_RANDOM}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(open_error("COM1:9600,N,8,1,DS100", mode), 0u);
        std::string record(4, '\0'), longer(6, '\0');
        auto get = [](std::string &into) {
            byte_element e = element_of(into);
            rt_get(1, 0, &e, 0);
            return into;
        };
        EXPECT_EQ(rt_eof(1), 0); // nothing read yet
        line_.send("abcd");
        EXPECT_EQ(get(record), "abcd");
        EXPECT_EQ(rt_loc(1), 0);
        EXPECT_EQ(rt_eof(1), 0); // complete, though nothing more is waiting
        line_.send("ef");
        EXPECT_EQ(get(longer), std::string("ef\0\0\0\0", 6));
        EXPECT_EQ(rt_eof(1), -1);
        line_.send("ghij");
        arrival_wait(4);
        EXPECT_EQ(rt_eof(1), -1); // still the time-out, though bytes wait
        EXPECT_EQ(get(record), "ghij");
        EXPECT_EQ(rt_eof(1), 0);
        EXPECT_EQ(error_pending_take(), 0u);
        rt_close(1, 1);
    }
}

// A terminal program: a command goes out with PUT, the answer is read with
// INPUT$ of what LOC counts, and EOF tells whether a read came up short.
TEST_F(ComDevice, ATerminalSessionPutsCommandsAndReadsWhatLocCounts)
{
    ASSERT_EQ(open_error("COM1:9600,N,8,1,DS0", OPEN_MODE_BINARY), 0u);
    for (std::string answer : {"OK\r\n", "CONNECT 9600\r\n"}) {
        std::string command = "ATZ\r";
        byte_element e = element_of(command);
        rt_put_string(1, 0, &e, 0);
        EXPECT_EQ(line_.receive(4), "ATZ\r");
        line_.send(answer);
        arrival_wait(int64_t(answer.size()));
        EXPECT_EQ(input_str(int32_t(rt_loc(1))), answer);
        EXPECT_EQ(rt_loc(1), 0);
        EXPECT_EQ(rt_eof(1), 0);
    }
    EXPECT_EQ(input_str(8), ""); // DS0: nothing waiting, back at once
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(rt_eof(1), -1);
    rt_close(1, 1);
    EXPECT_EQ(open_error("COM1:9600,N,8,1", OPEN_MODE_BINARY), 0u); // the port is free again
}

TEST_F(ComDevice, PrintWritesToAnOutputPort)
{
    ASSERT_EQ(open_error("COM1:9600,N,8,1", OPEN_MODE_OUTPUT), 0u);
    basic_text hello("HELLO");
    rt_print_file(1, hello, 0, 1, 0);
    rt_print_file(1, hello, 0, 0, 1);
    EXPECT_EQ(error_pending_take(), 0u);
    EXPECT_EQ(line_.receive(21), "HELLO" + std::string(9, ' ') + "HELLO\r\n");
}

// ENVIRON names the device of the next OPEN of a port: COM7 reaches the line
// while COM7_DEVICE names it, and no longer once ENVIRON has removed it.
TEST_F(ComDevice, EnvironNamesTheDeviceOfTheNextOpen)
{
    basic_text named("COM7_DEVICE=" + line_.slave_path());
    rt_environ(named);
    ASSERT_EQ(open_error("COM7:9600,N,8,1", OPEN_MODE_OUTPUT), 0u);
    basic_text hello("HELLO");
    rt_print_file(1, hello, 0, 0, 1);
    EXPECT_EQ(line_.receive(7), "HELLO\r\n");
    rt_close(1, 1);
    basic_text removed("COM7_DEVICE=");
    rt_environ(removed);
    if (access("/dev/ttyS6", F_OK) != 0) { // the port's own device, where there is none
        EXPECT_EQ(open_error("COM7:9600,N,8,1", OPEN_MODE_OUTPUT), 68u);
    }
    EXPECT_EQ(error_pending_take(), 0u);
}

} // namespace
