// How the file statements turn the OS-handle layer's failure codes into BASIC
// errors (OPEN maps its opening failures its own way).
#pragma once

#include <cstdint>

// Raises the BASIC error for a layer result: -2 gives 258, -3 gives 54, -4
// gives 5, -7 gives 70, -12 gives 61, a short read (-10) and success give
// none, any other failure gives 75. Returns true when an error was raised.
bool file_error_raise(int64_t layer_result);
