// How the file statements turn the OS-handle layer's failure codes into BASIC
// errors (OPEN maps its opening failures its own way).
#pragma once

#include <cstdint>

// Raises the BASIC error for a layer result: -2 gives 258, -3 gives 54, -4
// gives 5, -7 gives 70, -12 gives 61, a short read (-10) and success give
// none, any other failure gives 75. Returns true when an error was raised.
bool file_error_raise(int64_t layer_result);

// The BASIC error of a close the file system refused, from the layer's
// result: 61 for no room (or the quota used up), 57 for any other refusal,
// 0 for none or a handle that was not open. Every close maps its refusal
// here: CLOSE, the closes at the end of the program, BSAVE's and the
// replacing CLOSE's.
int32_t file_close_error(int32_t closed);
