// The public-address lookup: asks a web host for the machine's public IPv4
// address and takes the first dotted address in its reply.
//
// The host is named by the environment variable RT_PUBLIC_ADDRESS_HOST as
// host:port (port 80 when none is given); unset or empty, the lookup gives an
// empty text at once. The request is "GET /ip.php HTTP/1.1" with a Host line,
// sent over a TCP/IP client connection; the reply is polled every 0.1 second
// (serving events while waiting) and scanned from its start after each poll.
// The lookup gives up with an empty text after 5 seconds of the millisecond
// counter, when an error is pending, or when the reply passes 64 KiB.
// Program thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct string_descriptor;

// The largest reply the lookup reads.
constexpr size_t PUBLIC_ADDRESS_REPLY_MAX = 64 << 10;

// Scans a reply for its first address: a run that starts with a digit, goes
// on over digits and dots, holds exactly three dots and is followed by some
// other byte. False when there is none; else its start and length.
bool address_scan(const uint8_t *reply, size_t len, size_t *start, size_t *length);

// The lookup's result as text, and as a temporary string.
std::string public_address_lookup_text();
string_descriptor *public_address_lookup();
