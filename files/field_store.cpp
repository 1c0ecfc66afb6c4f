// LSET/RSET write-back for FIELD-bound strings.
#include "files/field_store.h"

// Only unlinked strings reach this until the random-access record layer,
// which creates FIELD links, is part of the runtime; such strings need no
// write-back.
void field_string_store(string_descriptor *s)
{
    if (!s->field)
        return;
}
