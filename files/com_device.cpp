#include "files/com_device.h"

#include "core/control_words.h"
#include "files/com_options.h"
#include "files/handle_table.h"
#include "platform/clock.h"
#include "platform/os_environment.h"
#include "platform/serial.h"

#include <algorithm>
#include <vector>

namespace
{

// The longest single wait, so that the end of the process is seen soon.
constexpr int32_t WAIT_SLICE_MS = 20;

// Bytes given back per handle, delivered first by the next read (the last
// one given back comes first). Emptied whenever a port opens on the handle.
std::vector<std::string> kept_bytes;

std::string &kept_of(int32_t handle)
{
    if (size_t(handle) >= kept_bytes.size())
        kept_bytes.resize(size_t(handle) + 1);
    return kept_bytes[size_t(handle)];
}

serial_parity parity_of(uint8_t code)
{
    switch (code) {
    case COM_PARITY_NONE:
        return serial_parity::none;
    case COM_PARITY_ODD:
        return serial_parity::odd;
    case COM_PARITY_SPACE:
        return serial_parity::space;
    case COM_PARITY_MARK:
        return serial_parity::mark;
    default: // E, and PE: even parity, checked like every parity
        return serial_parity::even;
    }
}

// The line settings of a record. 1.5 stop bits are sent as 2.
serial_line_settings settings_of(const os_handle_record &r)
{
    return {uint32_t(r.speed), parity_of(r.parity), r.data_bits,
            uint8_t(r.stop_bits_x10 == 10 ? 1 : 2), r.rs != 0};
}

// Milliseconds left until deadline (-1: none), as one wait slice.
int32_t slice_until(int64_t deadline)
{
    if (deadline < 0)
        return WAIT_SLICE_MS;
    return int32_t(std::clamp<int64_t>(deadline - clock_now_ms(), 0, WAIT_SLICE_MS));
}

bool time_left(int64_t deadline)
{
    return !exit_acknowledged.load(std::memory_order_relaxed) &&
           (deadline < 0 || clock_now_ms() < deadline);
}

using transfer_fn = os_file_status (*)(os_file *, void *, int64_t, int32_t, int64_t *);

os_file_status read_step(os_file *f, void *p, int64_t n, int32_t wait_ms, int64_t *done)
{
    return serial_read(f, p, n, wait_ms, done);
}

os_file_status write_step(os_file *f, void *p, int64_t n, int32_t wait_ms, int64_t *done)
{
    return serial_write(f, static_cast<const void *>(p), n, wait_ms, done);
}

// Moves count bytes in steps until all have moved or the time is up. Without
// wait it makes one step that takes what can move at once; deadline -1 waits
// without limit.
os_file_status transfer(int32_t handle, transfer_fn step, uint8_t *p, int64_t count, bool wait,
                        int64_t deadline, int64_t *done)
{
    os_file *file = os_handle_file(handle);
    int64_t moved = 0;
    os_file_status s = step(file, p, count, 0, &moved);
    *done = moved;
    while (s == os_file_status::ok && *done < count && wait && time_left(deadline)) {
        s = step(file, p + *done, count - *done, slice_until(deadline), &moved);
        *done += moved;
    }
    return s;
}

} // namespace

std::string com_device_path(int32_t port)
{
    std::string variable = "COM" + std::to_string(port) + "_DEVICE";
    std::optional<std::string> named = os_environment_get(variable);
    if (named && !named->empty())
        return *named;
    return "/dev/ttyS" + std::to_string(port - 1);
}

bool com_device_open(int32_t handle, os_file **file)
{
    const os_handle_record &r = *os_handle_at(handle);
    kept_of(handle).clear();
    uint32_t access = (r.may_read ? OS_FILE_READ : 0) | (r.may_write ? OS_FILE_WRITE : 0);
    return serial_open(com_device_path(r.com_port).c_str(), access, settings_of(r), file) ==
           os_file_status::ok;
}

os_file_status com_device_read(int32_t handle, void *dest, int64_t count, int64_t *done)
{
    auto *p = static_cast<uint8_t *>(dest);
    std::string &kept = kept_of(handle);
    *done = std::min<int64_t>(count, int64_t(kept.size()));
    for (int64_t i = 0; i < *done; ++i) {
        p[i] = uint8_t(kept.back());
        kept.pop_back();
    }
    int32_t time_ms = os_handle_at(handle)->ds_ms;
    int64_t more = 0;
    os_file_status s = transfer(handle, read_step, p + *done, count - *done, time_ms != 0,
                                clock_now_ms() + time_ms, &more);
    *done += more;
    return s;
}

os_file_status com_device_write(int32_t handle, const void *src, int64_t count, int64_t *done)
{
    int32_t time_ms = os_handle_at(handle)->cs_ms;
    int64_t deadline = time_ms == 0 ? -1 : clock_now_ms() + time_ms;
    // The steps share one signature; the write step only reads the bytes.
    auto *p = const_cast<uint8_t *>(static_cast<const uint8_t *>(src));
    return transfer(handle, write_step, p, count, true, deadline, done);
}

void com_device_keep(int32_t handle, uint8_t byte)
{
    kept_of(handle).push_back(char(byte));
}

int64_t com_device_waiting(int32_t handle)
{
    return int64_t(kept_of(handle).size()) + serial_waiting(os_handle_file(handle));
}

bool com_device_at_end(int32_t handle, bool text)
{
    const std::string &kept = kept_of(handle);
    if (text && !kept.empty() && kept.back() == 26)
        return true;
    return com_device_waiting(handle) == 0;
}

int32_t com_device_is_port(int32_t handle)
{
    const os_handle_record *r = os_handle_at(handle);
    return r && r->in_use && r->com_port != 0 ? 1 : 0;
}
