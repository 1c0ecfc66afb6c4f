// LSET/RSET write-back for FIELD-bound strings.
#include "files/field_store.h"

#include "files/field_strings.h"
#include "files/handle_table.h"

#include <algorithm>
#include <cstring>

void field_string_store(string_descriptor *s)
{
    const auto *link = static_cast<const field_link *>(s->field);
    if (!link)
        return;
    os_handle_record *r = field_link_record(link);
    if (!r) {
        // The file was closed or reopened: s stays an ordinary string.
        field_string_detach(s);
        return;
    }
    uint8_t *piece = r->record_buffer + link->offset;
    int64_t n = std::min<int64_t>(s->len, link->width);
    if (n > 0)
        std::memmove(piece, s->chr, size_t(n));
    std::memset(piece + n, ' ', size_t(link->width - n));
    // Pieces of other FIELD statements may share these bytes.
    field_strings_refresh(link->file_number);
}
