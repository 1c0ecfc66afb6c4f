// The runtime's text is bytes, each the Latin-1 character of its value; X
// properties such as _NET_WM_NAME and UTF8_STRING selections want UTF-8.
#pragma once

#include <string>
#include <string_view>

// The text's Latin-1 bytes as UTF-8.
std::string latin1_to_utf8(std::string_view text);
