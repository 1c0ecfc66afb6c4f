// The chain state stream: the screen of a program that CHAINs, carried to the
// program it starts inside the hand-over file.
//
// The stream is a sequence of little-endian 32-bit words and raw byte blocks,
// each section opened by a tag word, in this order (only 260 repeats):
//   256 mode                  page 0 lies in the emulated memory (B800, A000)
//   258 columns rows          after 256, when page 0 is a text page
//   257 mode width height     instead of 256/258: page 0 has its own memory
//   259 font                  page 0's font is a built-in one (31 or less)
//   260 page pixels record    every screen page, the active page last
//   261 active visual         always
//   262 256 palette words     page 0 has a palette (fewer than 4 bytes a pixel)
//   511                       always, last
// A page's record is the image_slot encoded field by field in a fixed layout
// of CHAIN_SLOT_RECORD_BYTES (chain_slot_record.cpp); pointers and lock
// fields travel as 0.
//
// Both sides move bytes only through file_write_at and file_read_at at the
// current position of an open BINARY file. Program thread only.
#pragma once

#include <cstdint>

struct image_slot;

constexpr int32_t CHAIN_TAG_DOS_SCREEN = 256;
constexpr int32_t CHAIN_TAG_IMAGE_SCREEN = 257;
constexpr int32_t CHAIN_TAG_TEXT_GRID = 258;
constexpr int32_t CHAIN_TAG_FONT = 259;
constexpr int32_t CHAIN_TAG_PAGE = 260;
constexpr int32_t CHAIN_TAG_PAGES_SHOWN = 261;
constexpr int32_t CHAIN_TAG_PALETTE = 262;
constexpr int32_t CHAIN_TAG_END = 511;

constexpr int64_t CHAIN_SLOT_RECORD_BYTES = 176;
// Page numbers a stream may name: the restore refuses larger ones before it
// makes any page.
constexpr int32_t CHAIN_PAGE_LIMIT = 65536;

// Writes the stream for the current screen at file number f's position.
// Returns at once while an error is pending; file errors are raised by the
// transfers and end the writing.
void chain_save(int32_t f);

// Reads a stream from file number f's position and rebuilds the screen
// through SCREEN, WIDTH, the font and the palette operations. It always ends:
// at the end tag, at a tag out of order, at a section whose bytes the file
// does not hold, and at any pending error. Every count, size and page number
// is checked against the bytes left and the page limit before anything is
// made; a page record is taken only when it fits the receiver's page.
void chain_restore(int32_t f);

// The record block of a slot (pointers, lock and ownership as 0).
void chain_slot_encode(const image_slot &slot, uint8_t out[CHAIN_SLOT_RECORD_BYTES]);

// Takes a record block into the receiver's page when the block describes a
// page of the same size, pixel format and mode, with a valid cursor, scroll
// region, clip area, colours and finite floats. The page keeps its own
// use, ownership, lock, pixels and palette, and its font when the block's
// font is not a built-in one. False (the page unchanged) otherwise.
bool chain_slot_decode(const uint8_t in[CHAIN_SLOT_RECORD_BYTES], image_slot *page);
