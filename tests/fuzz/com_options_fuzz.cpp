// Fuzz target for the COM device name parser: the input is taken as a file
// name. An accepted COM name must give every device field within its range,
// and parsing the same name again must give the same record.
#include "files/com_options.h"
#include "files/handle_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace
{

bool in(int64_t v, int64_t low, int64_t high)
{
    return v >= low && v <= high;
}

bool fields_in_range(const os_handle_record &r)
{
    bool stop_ok = r.stop_bits_x10 == 10 || r.stop_bits_x10 == 15 || r.stop_bits_x10 == 20;
    return in(r.com_port, 1, 255) && r.speed >= 1 && in(r.parity, 0, 5) && in(r.data_bits, 5, 8) &&
           stop_ok && in(r.asc, 0, 1) && in(r.lf, 0, r.asc) && in(r.rs, 0, 1) &&
           in(r.cd_ms, 0, COM_TIME_MAX_MS) && in(r.cs_ms, 0, COM_TIME_MAX_MS) &&
           in(r.ds_ms, 0, COM_TIME_MAX_MS) && in(r.op_ms, 0, COM_TIME_MAX_MS);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view name(reinterpret_cast<const char *>(data), size);
    os_handle_record first{}, second{};
    int32_t result = com_open_parse(name, first);
    if (result != 0 && result != -1)
        std::abort();
    if (result == 0 && first.com_port != 0 && !fields_in_range(first))
        std::abort();
    if (com_open_parse(name, second) != result ||
        (result == 0 && std::memcmp(&first, &second, sizeof first) != 0))
        std::abort();
    return 0;
}
