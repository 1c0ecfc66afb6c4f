// PMAP: one coordinate between program (WINDOW) coordinates and the pixel
// coordinates of the write page's VIEW, in either direction. The VIEW offset
// is neither added nor removed; without a WINDOW the mapping only rounds.
#pragma once

#include <cstdint>

// function 0: pixel x of program x, 1: pixel y of program y, 2: program x of
// pixel x, 3: program y of pixel y. Error 5 (result 0) for another function
// or a text write page; 0 at once while an error is pending.
float rt_pmap(float value, int32_t function);
