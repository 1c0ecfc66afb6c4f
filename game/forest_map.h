// The bamboo forest's maze: 30 rooms on a grid of 6 columns (west to east)
// and 5 rows (north to south), numbered column by column, so NORTH leads from
// room n to n - 1, SOUTH to n + 1, EAST to n + 5 and WEST to n - 5 wherever a
// passage exists. Room 1, the north-west corner, is the entrance, and its
// NORTH leaves the forest; room 27 holds the herb.
//
// Seven obstacles each block one passage between neighbouring rooms and are
// met from both sides. Every passage works both ways and every room can be
// reached from the entrance.
#pragma once

#include <cstdint>

constexpr int32_t FOREST_ROOM_COUNT = 30;
constexpr int32_t FOREST_ENTRANCE = 1;
constexpr int32_t FOREST_HERB_ROOM = 27;

// The four directions in the order the typed word is tested.
enum forest_direction : uint8_t { NORTH, EAST, SOUTH, WEST };
constexpr int32_t FOREST_DIRECTION_COUNT = 4;
extern const char *const forest_direction_words[FOREST_DIRECTION_COUNT];

// The words that give up the quest from any room.
constexpr int32_t FOREST_QUIT_WORD_COUNT = 3;
extern const char *const forest_quit_words[FOREST_QUIT_WORD_COUNT];

enum class forest_obstacle : uint8_t {
    boulder,
    log,
    termite_mound,
    bear_carcass,
    sink_hole,
    briar_patch,
    spider_web,
};
constexpr int32_t FOREST_OBSTACLE_COUNT = 7;
// How a room's text names each obstacle ("a boulder", "a Slime Mould covered
// Log", ...), by forest_obstacle.
extern const char *const forest_obstacle_names[FOREST_OBSTACLE_COUNT];

enum class forest_exit_kind : uint8_t {
    wall,     // the room's texts again
    room,     // on to another room
    obstacle, // the obstacle's picture, then the room's texts again
    leave,    // out of the forest (room 1's NORTH)
};

struct forest_exit {
    forest_exit_kind kind;
    uint8_t room;             // for kind room
    forest_obstacle obstacle; // for kind obstacle
};

// One room: its texts, printed one per line, and its exits by direction.
// Room 27 prints "You got the Herb!!!" before its text while the herb has not
// been delivered; that line belongs to the herb room's own statements.
struct forest_room {
    const char *texts[3]; // null after the last
    forest_exit exits[FOREST_DIRECTION_COUNT];
};

// Indexed by room number, 1 to 30 (element 0 is unused).
extern const forest_room bamboo_forest_map[FOREST_ROOM_COUNT + 1];

// The number of texts of a room.
int32_t forest_room_text_count(const forest_room &room);
