// Open texts of the TCP/IP handles: "TCP/IP:port:host" for a client and
// "TCP/IP:port" for a host.
//
// The text splits at every ':' into parts; the text after the last ':'
// (possibly empty) is the last part. "TCP/IP" is compared without regard to
// letter case. The port is the VAL of its part rounded to the nearest whole
// number, ties to even, and held within 32 bits (a port too large for them
// becomes the largest 32-bit number, which no socket accepts).
#pragma once

#include <cstdint>
#include <string>

// The most parts an open text may have.
constexpr int32_t OPEN_TEXT_PARTS_MAX = 10;

struct open_text {
    int32_t parts; // 2 to OPEN_TEXT_PARTS_MAX
    int32_t port;
    std::string host; // the third part, up to its first zero byte
};

// Splits and checks a text of len bytes: false when it has fewer than 2 or
// more than OPEN_TEXT_PARTS_MAX parts, or its first part is not "TCP/IP".
bool open_text_parse(const uint8_t *text, int32_t len, open_text *out);
