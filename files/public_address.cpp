#include "files/public_address.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/network_handles.h"
#include "files/stream_records.h"
#include "platform/clock.h"
#include "platform/os_environment.h"

#include <cstring>

namespace
{

constexpr int64_t LOOKUP_LIMIT_MS = 5000;
constexpr int64_t POLL_INTERVAL_MS = 100;
constexpr uint32_t WAIT_STEP_MS = 10;

struct lookup_host {
    std::string name;
    std::string port;
};

// The host and port RT_PUBLIC_ADDRESS_HOST names; false when it is unset or
// empty.
bool lookup_host_read(lookup_host *out)
{
    std::optional<std::string> named = os_environment_get("RT_PUBLIC_ADDRESS_HOST");
    if (!named || named->empty())
        return false;
    const std::string &text = *named;
    size_t colon = text.rfind(':');
    out->name = colon == std::string::npos ? text : text.substr(0, colon);
    out->port = colon == std::string::npos ? "80" : text.substr(colon + 1);
    return true;
}

// A client connection to the host: its entry index, or 0.
int32_t lookup_connect(const lookup_host &host)
{
    std::string text = "TCP/IP:" + host.port + ":" + host.name;
    string_descriptor d{};
    d.chr = reinterpret_cast<uint8_t *>(text.data());
    d.len = int32_t(text.size());
    int32_t index = connection_open(0, &d, 0);
    return index > 0 ? index : 0;
}

// Waits until the next poll, serving events; false when the wait must end.
bool poll_interval_wait()
{
    const int64_t until = clock_now_ms() + POLL_INTERVAL_MS;
    while (clock_now_ms() < until) {
        clock_sleep_ms(WAIT_STEP_MS);
        if (!network_wait_serve())
            return false;
    }
    return true;
}

// Polls and scans the reply until an address is found or the lookup gives up.
std::string reply_read(stream_record *stream)
{
    std::string reply;
    const int64_t deadline = clock_now_ms() + LOOKUP_LIMIT_MS;
    while (clock_now_ms() < deadline && !error_pending.load(std::memory_order_relaxed)) {
        if (!poll_interval_wait())
            break;
        net_receive_poll(stream);
        if (reply.size() + size_t(stream->waiting) > PUBLIC_ADDRESS_REPLY_MAX)
            break;
        reply.append(reinterpret_cast<const char *>(stream->data + stream->offset),
                     size_t(stream->waiting));
        stream->offset += stream->waiting;
        stream->waiting = 0;
        size_t start = 0, length = 0;
        if (address_scan(reinterpret_cast<const uint8_t *>(reply.data()), reply.size(), &start,
                         &length))
            return reply.substr(start, length);
    }
    return {};
}

} // namespace

bool address_scan(const uint8_t *reply, size_t len, size_t *start, size_t *length)
{
    size_t run = 0; // 1-based start of the run of digits, 0 = none
    int dots = 0;
    for (size_t p = 1; p <= len; ++p) {
        uint8_t a = reply[p - 1];
        if (a >= '0' && a <= '9') {
            if (run == 0)
                run = p;
        } else if (a == '.' && run != 0) {
            ++dots;
        } else if (dots == 3) {
            *start = run - 1;
            *length = p - run;
            return true;
        } else {
            run = 0;
            dots = 0;
        }
    }
    return false;
}

std::string public_address_lookup_text()
{
    lookup_host host;
    if (error_pending.load(std::memory_order_relaxed) || !lookup_host_read(&host))
        return {};
    int32_t index = lookup_connect(host);
    if (index == 0)
        return {};
    stream_record *stream = special_handle_stream(~index);
    std::string request = "GET /ip.php HTTP/1.1\r\nHost: " + host.name + "\r\n\r\n";
    connection_send(stream, reinterpret_cast<const uint8_t *>(request.data()),
                    int64_t(request.size()));
    std::string address = reply_read(stream);
    connection_close(index);
    return address;
}

string_descriptor *public_address_lookup()
{
    std::string text = public_address_lookup_text();
    string_descriptor *d = string_new(int32_t(text.size()), true);
    if (!text.empty())
        std::memcpy(d->chr, text.data(), text.size());
    return d;
}
