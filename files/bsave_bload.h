// BSAVE and BLOAD: blocks of the emulated DOS memory saved to and loaded
// from files behind a 7-byte header.
//
// File format (little-endian): byte 0xFD; u16 segment; u16 offset within the
// segment; u16 length (0 stands for 65,536); then the block's bytes.
//
// Each statement opens its file, uses it and closes it within the call; names
// are resolved as every file name is. Blocks are checked in 64 bits to lie
// wholly inside the emulated memory before any byte moves: a block that does
// not is error 6, so no file can make BLOAD write outside the memory.
//
// Errors: 6 offset or length out of range or a block outside the memory; 61
// BSAVE finds no room for a new file (no inode free, or the quota used up),
// 64 it cannot create the file otherwise; 61 the disk is full and 75 any
// other failed write; after the writes, 61 or 57 for a close that the file system refused
// (no room or quota, any other failure); 53 BLOAD cannot open the file; 54 a
// file that is not a BSAVE image or is shorter than its header says (the
// bytes that arrived stay loaded).
// Both return at once while an error is pending. Program thread only.
#pragma once

#include <cstdint>

struct string_descriptor;

constexpr uint8_t BSAVE_MARK = 0xFD;
constexpr uint32_t BSAVE_HEADER_SIZE = 7;

// BSAVE name$, offset, length: length bytes from DEF SEG:offset. Offsets from
// -65,536 to 65,535 and lengths from -65,536 to 65,536 are taken modulo
// 65,536 (a length of 65,536 stays whole).
void rt_bsave(const string_descriptor *name, int32_t offset, int32_t length);

// BLOAD name$ [, offset]: to DEF SEG:offset when bit 0 of given_mask is set,
// else to the segment and offset in the file's header. A header length of 0
// loads every byte after the header when there are 65,536 or more, else
// nothing.
void rt_bload(const string_descriptor *name, int32_t offset, uint32_t given_mask);
