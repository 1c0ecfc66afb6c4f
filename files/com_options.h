// COM device names: COMn: followed by a comma-separated option list, for
// example COM1:9600,N,8,1,RS,DS500.
//
// The parser decides whether a file name names a serial port, checks the
// options and stores the port settings, with every default filled in, in the
// device fields of an os_handle_record. It keeps no state from one name to
// the next.
#pragma once

#include <cstdint>
#include <string_view>

struct os_handle_record;

// Parity codes of os_handle_record::parity.
constexpr uint8_t COM_PARITY_NONE = 0;
constexpr uint8_t COM_PARITY_EVEN = 1;
constexpr uint8_t COM_PARITY_ODD = 2;
constexpr uint8_t COM_PARITY_SPACE = 3;
constexpr uint8_t COM_PARITY_MARK = 4;
constexpr uint8_t COM_PARITY_CHECKED = 5; // PE: even parity, checked on input

// The largest value a time option (CD, CS, DS, OP) takes.
constexpr int32_t COM_TIME_MAX_MS = 65535;

// Parses name (without a terminating NUL) into the record's device fields.
// -1 when the name is a COM name whose port or options are malformed; 0
// otherwise, and then com_port is 1 to 255 for a COM name and 0 for an
// ordinary file name (whose other device fields are left alone).
int32_t com_open_parse(std::string_view name, os_handle_record &record);
