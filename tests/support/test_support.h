// Helpers every test folder uses: a runtime string as text, whole files read
// and written as bytes, and a page's pixels read back.
#pragma once

#include "core/strings.h"

#include <cstdint>
#include <string>
#include <vector>

struct image_slot;

std::string text_of(const string_descriptor *s);
std::string file_read_all(const std::string &path);
void file_write_all(const std::string &path, const std::string &bytes);

// The value of one pixel of a page (palette pages: the byte).
uint32_t pixel_of(const image_slot *r, int32_t x, int32_t y);
// The page's pixels as 32-bit values, row by row.
std::vector<uint32_t> page_pixels(const image_slot *r);
