#include "files/file_test_support.h"
#include "files/pty_support.h"

#include "core/control_words.h"
#include "core/errors.h"
#include "files/handle_table.h"
#include "files/open_close.h"
#include "files/os_handle.h"

#include <atomic>
#include <thread>

namespace
{

using ComDeviceExit = file_test;

// The runtime loop acknowledges the end of the process while the program
// thread waits in a read with a long DS time: the read gives up within a
// wait slice, so the loop never closes the port under it.
TEST_F(ComDeviceExit, AnAcknowledgedExitEndsALongRead)
{
    pty_line line(1);
    basic_text name("COM1:9600,N,8,1,DS60000");
    rt_open(name, OPEN_MODE_BINARY, 0, 0, 1, 0, 0);
    ASSERT_EQ(error_pending_take(), 0u);
    std::atomic<long long> acknowledged_at{0};
    std::thread exit_path([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        acknowledged_at = pty_now_ms();
        exit_acknowledged = 1;
    });
    char buffer[16];
    int32_t result = os_handle_read(file_number_handle(1), -1, buffer, sizeof buffer);
    long long ended_at = pty_now_ms();
    exit_path.join();
    EXPECT_EQ(result, OS_HANDLE_SHORT_READ);
    EXPECT_LT(ended_at - acknowledged_at, 100);
    control_words_reset();
}

} // namespace
