#include "core/control_words.h"

std::atomic<uint32_t> event_pending{0};
std::atomic<uint32_t> statement_retry{0};
std::atomic<uint32_t> retry_request{0};
std::atomic<uint8_t> program_stop_flag{0};
std::atomic<uint32_t> exit_request{0};
std::atomic<uint32_t> exit_handled{0};
std::atomic<uint8_t> exit_acknowledged{0};
std::atomic<uint32_t> threads_ended{0};
std::atomic<uint32_t> end_claim{0};
std::atomic<uint8_t> program_suspended{0};
std::atomic<uint32_t> sleep_wake{0};
std::atomic<uint32_t> error_line{0};
std::atomic<uint32_t> program_wake{0};
std::atomic<uint32_t> timer_wake{0};

void control_words_reset()
{
    event_pending = 0;
    statement_retry = 0;
    retry_request = 0;
    program_stop_flag = 0;
    exit_request = 0;
    exit_handled = 0;
    exit_acknowledged = 0;
    threads_ended = 0;
    end_claim = 0;
    program_suspended = 0;
    sleep_wake = 0;
    error_line = 0;
}
