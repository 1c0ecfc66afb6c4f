#include "display/window_state.h"

std::atomic<uint32_t> window_hidden{0};
std::atomic<uint32_t> window_create_request{0};
std::atomic<uint32_t> window_exists{0};
