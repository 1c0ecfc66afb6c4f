// Clipboard texts as they cross to and from other X clients.
//
// The runtime's text is bytes, each the Latin-1 character of its value. The
// clipboard holds a text up to its first zero byte, however the text came.
// Large selections arrive in chunks (incremental transfers) that are put
// together first and converted once, since a UTF-8 sequence may straddle two
// chunks.
#pragma once

#include "platform/latin1.h"

#include <cstddef>
#include <string>
#include <string_view>

// The text up to its first zero byte.
std::string clipboard_text_cut(std::string_view text);

// A selection's bytes as the runtime's text, cut at the first zero byte:
// UTF8_STRING is decoded to Latin-1 (characters beyond it, and broken
// sequences, become '?'); STRING is taken as it is.
std::string clipboard_text_from_selection(std::string_view bytes, bool utf8);

// Appends one chunk of an incremental transfer to what arrived before;
// false, leaving `bytes` as it was, when the whole would pass `limit_bytes`.
bool selection_chunk_append(std::string &bytes, std::string_view chunk, size_t limit_bytes);
