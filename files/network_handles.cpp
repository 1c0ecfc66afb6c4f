#include "files/network_handles.h"

void special_handle_close(int32_t) {}

void special_handles_close_all() {}

bool special_handle_lof(int32_t, int64_t *)
{
    return false;
}

bool special_handle_eof(int32_t, int32_t *)
{
    return false;
}

bool special_handle_get(int32_t, byte_element *)
{
    return false;
}

bool special_handle_put(int32_t, const byte_element *)
{
    return false;
}

bool special_handle_get_string(int32_t, string_descriptor *)
{
    return false;
}
