#include "game/forest_map.h"

const char *const forest_direction_words[FOREST_DIRECTION_COUNT] = {"NORTH", "EAST", "SOUTH",
                                                                    "WEST"};

const char *const forest_quit_words[FOREST_QUIT_WORD_COUNT] = {"QUIT", "GIVE UP", "EXIT"};

const char *const forest_obstacle_names[FOREST_OBSTACLE_COUNT] = {
    "a boulder",          "a Slime Mould covered Log",
    "a Termite Mound",    "a decaying Bear Carcass",
    "a Sink Hole",        "a Briar Patch",
    "a giant Spider Web",
};

namespace
{

constexpr forest_exit wall{forest_exit_kind::wall, 0, {}};
constexpr forest_exit leave{forest_exit_kind::leave, 0, {}};

constexpr forest_exit to(uint8_t room)
{
    return {forest_exit_kind::room, room, {}};
}
constexpr forest_exit blocked(forest_obstacle obstacle)
{
    return {forest_exit_kind::obstacle, 0, obstacle};
}

constexpr forest_exit boulder = blocked(forest_obstacle::boulder);
constexpr forest_exit log = blocked(forest_obstacle::log);
constexpr forest_exit termite_mound = blocked(forest_obstacle::termite_mound);
constexpr forest_exit bear_carcass = blocked(forest_obstacle::bear_carcass);
constexpr forest_exit sink_hole = blocked(forest_obstacle::sink_hole);
constexpr forest_exit briar_patch = blocked(forest_obstacle::briar_patch);
constexpr forest_exit spider_web = blocked(forest_obstacle::spider_web);

} // namespace

// Exits in the order NORTH, EAST, SOUTH, WEST.
const forest_room bamboo_forest_map[FOREST_ROOM_COUNT + 1] = {
    {{}, {wall, wall, wall, wall}},
    {{"You're at the Entrance of the Bamboo Forest.", "You can go EAST or SOUTH.",
      "Or you can go NORTH to the Clearing."},
     {leave, to(6), to(2), wall}},
    {{"You can go NORTH or SOUTH."}, {to(1), wall, to(3), wall}},
    {{"You can go NORTH or EAST."}, {to(2), to(8), wall, wall}},
    {{"You can go EAST or SOUTH."}, {wall, to(9), to(5), wall}},
    {{"You can go NORTH or EAST."}, {to(4), to(10), wall, wall}},
    {{"The SOUTH path is blocked by a boulder.", "You can go EAST or WEST."},
     {wall, to(11), boulder, to(1)}},
    {{"The NORTH path is blocked by a boulder.", "You can go EAST."},
     {boulder, to(12), wall, wall}},
    {{"The EAST path is blocked by a Slime Mould covered Log.", "You can go SOUTH or WEST."},
     {wall, log, to(9), to(3)}},
    {{"The SOUTH path is blocked by a Termite Mound.", "You can go NORTH or EAST or WEST."},
     {to(8), to(14), termite_mound, to(4)}},
    {{"The NORTH path is blocked by a Termite Mound.", "You can go EAST or WEST."},
     {termite_mound, to(15), wall, to(5)}},
    {{"You can go SOUTH or WEST."}, {wall, wall, to(12), to(6)}},
    {{"You can go NORTH or WEST."}, {to(11), wall, wall, to(7)}},
    {{"The WEST path is blocked by a Slime Mould covered Log.", "You can go EAST or SOUTH."},
     {wall, to(18), to(14), log}},
    {{"You can go NORTH or WEST."}, {to(13), wall, wall, to(9)}},
    {{"You can go EAST or WEST."}, {wall, to(20), wall, to(10)}},
    {{"You can go EAST or SOUTH."}, {wall, to(21), to(17), wall}},
    {{"You can go NORTH or EAST."}, {to(16), to(22), wall, wall}},
    {{"The EAST path is blocked by a decaying Bear Carcass.", "You can go WEST."},
     {wall, bear_carcass, wall, to(13)}},
    {{"You can go EAST or SOUTH."}, {wall, to(24), to(20), wall}},
    {{"The EAST path is blocked by a Sink Hole.", "You can go NORTH or WEST."},
     {to(19), sink_hole, wall, to(15)}},
    {{"The SOUTH path is blocked by a Briar Patch.", "You can go EAST or WEST."},
     {wall, to(26), briar_patch, to(16)}},
    {{"The NORTH path is blocked by a Briar Patch.", "You can go SOUTH or WEST."},
     {briar_patch, wall, to(23), to(17)}},
    {{"The WEST path is blocked by a decaying Bear Carcass.", "You can go NORTH or EAST or SOUTH."},
     {to(22), to(28), to(24), bear_carcass}},
    {{"The EAST path is blocked by a giant Spider Web.", "You can go NORTH or SOUTH or WEST."},
     {to(23), spider_web, to(25), to(19)}},
    {{"The WEST path is blocked by a Sink Hole.", "You can go NORTH or EAST."},
     {to(24), to(30), wall, sink_hole}},
    {{"You can go SOUTH or WEST."}, {wall, wall, to(27), to(21)}},
    {{"You can go NORTH"}, {to(26), wall, wall, wall}},
    {{"You can go SOUTH or WEST."}, {wall, wall, to(29), to(23)}},
    {{"The WEST path is blocked by a giant Spider Web.", "You can go NORTH."},
     {to(28), wall, wall, spider_web}},
    {{"Dead End! You can go WEST."}, {wall, wall, wall, to(25)}},
};

int32_t forest_room_text_count(const forest_room &room)
{
    int32_t count = 0;
    while (count < 3 && room.texts[count] != nullptr)
        ++count;
    return count;
}
