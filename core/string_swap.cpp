// SWAP of two string variables. Kept apart from memory_swap: it is the one
// SWAP that needs the string engine.
#include "core/memory.h"

// A goes into a non-temporary copy first, so a fixed-length variable on either
// side is cut or padded by string_set as an assignment would.
void string_swap(string_descriptor *a, string_descriptor *b)
{
    string_descriptor *t = string_new(0, false);
    string_set(t, a);
    string_set(a, b);
    string_set(b, t);
    string_free(t);
}
