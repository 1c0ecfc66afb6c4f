// byte_element: where a variable's bytes are and how many there are, as GET
// and PUT see them. The graphics statements that move array images use the
// same description.
#pragma once

#include <cstdint>

struct byte_element {
    uint64_t address; // the variable's first byte
    int32_t length;   // bytes; never negative
};

// A record from the static variable pool (freed when the compiled procedure
// that made it rewinds the pool). A negative length is stored as 0.
byte_element *byte_element_temp(uint64_t address, int32_t length);

// Fills storage the caller owns and returns it. A negative length is stored
// as 0.
byte_element *byte_element_fill(uint64_t address, int32_t length, byte_element *storage);

// The element's bytes as a pointer.
inline uint8_t *byte_element_bytes(const byte_element *e)
{
    return reinterpret_cast<uint8_t *>(uintptr_t(e->address));
}
