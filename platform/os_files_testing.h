// Test seams of the operating-system files (platform/os_files.h): faults a
// test or a fuzz target makes on purpose.
#pragma once

#include <cstdint>

struct os_file;

// From now on every read of the file that covers the byte at position fails
// as a failing disk would (io_failure); a negative position ends that.
void os_file_fail_reads_at(os_file *file, int64_t position);
