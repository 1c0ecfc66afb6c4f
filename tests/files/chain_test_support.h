// Helpers of the CHAIN tests: a fresh start-up screen in an empty directory,
// screens set up as a sending program would leave them, streams saved to and
// restored from memory files, and snapshots of the screen to compare.
#pragma once

#include "files/file_test_support.h"
#include "files/screen_pages_check.h"

#include <cstdint>
#include <string>
#include <vector>

// file_test plus a fresh start-up screen (SCREEN 0, 80 x 25).
class chain_test : public file_test
{
  protected:
    void SetUp() override;
};

// Screens a sender may have: text with WIDTH, pages and colours; SCREEN 12
// with two pages; SCREEN 13; a 32-bit image made the screen.
enum class chain_screen { text, mode12, mode13, image32 };
void chain_screen_set_up(chain_screen which);

// Every page's pixels and record block, page 0's palette (opaque), the active and the
// visual page: what a round trip must carry.
struct screen_snapshot {
    std::vector<std::string> pages; // pixels + record block, "" for no page
    std::vector<uint32_t> palette;
    int32_t active = 0, visual = 0;
    bool operator==(const screen_snapshot &) const = default;
};
screen_snapshot screen_snapshot_take();

// The stream chain_save writes for the current screen.
std::string chain_stream_save();
// A fresh start-up screen, then chain_restore over the bytes; the handle of
// the memory file (file number 1) for further checks.
int32_t chain_stream_restore(const std::string &bytes, int64_t fail_read_at = -1);
