#include "core/memory.h"

#include <cstring>

// Exchanges four bytes at a time, then the remaining n AND 3 bytes.
void memory_swap(void *p, void *q, int32_t n)
{
    if (n <= 0)
        return;
    auto *a = static_cast<uint8_t *>(p);
    auto *b = static_cast<uint8_t *>(q);
    int32_t words = n / 4;
    for (int32_t i = 0; i < words; i++, a += 4, b += 4) {
        uint32_t t;
        std::memcpy(&t, a, 4);
        std::memmove(a, b, 4);
        std::memcpy(b, &t, 4);
    }
    for (int32_t i = 0; i < (n & 3); i++, a++, b++) {
        uint8_t t = *a;
        *a = *b;
        *b = t;
    }
}
