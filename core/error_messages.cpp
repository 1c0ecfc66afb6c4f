// The texts of BASIC errors and of the critical errors that end the process.
#include "core/errors.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

struct error_text {
    uint32_t n;
    const char *text;
};

// Sorted by number; every number not listed is "Unprintable error".
constexpr error_text messages[] = {
    {1, "NEXT without FOR"},
    {2, "Syntax error"},
    {3, "RETURN without GOSUB"},
    {4, "Out of DATA"},
    {5, "Illegal function call"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {8, "Label not defined"},
    {9, "Subscript out of range"},
    {10, "Duplicate definition"},
    {12, "Illegal in direct mode"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {16, "String formula too complex"},
    {17, "Cannot continue"},
    {18, "Function not defined"},
    {19, "No RESUME"},
    {20, "RESUME without error"},
    {24, "Device timeout"},
    {25, "Device fault"},
    {26, "FOR without NEXT"},
    {27, "Out of paper"},
    {29, "WHILE without WEND"},
    {30, "WEND without WHILE"},
    {33, "Duplicate label"},
    {35, "Subprogram not defined"},
    {37, "Argument-count mismatch"},
    {38, "Array not defined"},
    {40, "Variable required"},
    {50, "FIELD overflow"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {56, "FIELD statement active"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad record number"},
    {64, "Bad file name"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {69, "Communication-buffer overflow"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk-media error"},
    {73, "Feature unavailable"},
    {74, "Rename across disks"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {258, "Invalid handle"},
    {300, "Memory region out of range"},
    {301, "Invalid size"},
    {302, "Source memory region out of range"},
    {303, "Destination memory region out of range"},
    {304, "Source and destination memory regions out of range"},
    {305, "Source memory has been freed"},
    {306, "Destination memory has been freed"},
    {307, "Memory already freed"},
    {308, "Memory has been freed"},
    {309, "Memory not initialized"},
    {310, "Source memory not initialized"},
    {311, "Destination memory not initialized"},
    {312, "Source and destination memory not initialized"},
    {313, "Source and destination memory have been freed"},
};

static_assert(std::is_sorted(std::begin(messages), std::end(messages),
                             [](const error_text &a, const error_text &b) { return a.n < b.n; }));

// A range of numbers that error_raise treats as critical. A numbered range
// puts "#" and (n - caption_base) after "Critical Error" in the caption.
struct critical_range {
    int32_t first;
    int32_t last;
    const char *text;
    bool numbered;
    int32_t caption_base;
};

constexpr critical_range critical_errors[] = {
    {257, 257, "Out of memory", true, 256},
    {502, 518, "Out of memory", true, 500},
    {11, 11, "Division by zero", false, 0},
    {256, 256, "Out of stack space", false, 0},
    {259, 259, "Cannot find dynamic library file", false, 0},
    {260, 261, "Sub/Function does not exist in dynamic library", false, 0},
    {262, 262, "Function unavailable in DORNE", false, 0},
    {263, 263, "Paths/Filename illegal in DORNE", false, 0},
    {270, 270, "_GL command called outside of SUB _GL's scope", false, 0},
    {271, 271, "END/SYSTEM called within SUB _GL's scope", false, 0},
};

} // namespace

const char *error_message(uint32_t n) {
    auto it = std::lower_bound(std::begin(messages), std::end(messages), n,
                               [](const error_text &e, uint32_t key) { return e.n < key; });
    if (it != std::end(messages) && it->n == n) return it->text;
    return "Unprintable error";
}

bool error_critical_box(int32_t n, const char **text, char *caption, uint32_t caption_size) {
    for (const critical_range &c : critical_errors) {
        if (n < c.first || n > c.last) continue;
        *text = c.text;
        if (c.numbered)
            std::snprintf(caption, caption_size, "Critical Error #%d", n - c.caption_base);
        else
            std::snprintf(caption, caption_size, "Critical Error");
        return true;
    }
    return false;
}
