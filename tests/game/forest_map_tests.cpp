#include "game/forest_map.h"

#include <gtest/gtest.h>

#include <array>
#include <queue>
#include <string>
#include <vector>

namespace
{

constexpr int32_t GRID_ROWS = 5;
constexpr int32_t GRID_COLUMNS = 6;

const forest_room &room(int32_t n)
{
    return bamboo_forest_map[n];
}

forest_direction opposite(forest_direction d)
{
    return forest_direction((d + 2) % 4);
}

// The neighbour of room n in direction d on the grid, or 0 off the grid.
int32_t grid_neighbour(int32_t n, forest_direction d)
{
    const int32_t column = (n - 1) / GRID_ROWS, row = (n - 1) % GRID_ROWS;
    const int32_t dr[] = {-1, 0, 1, 0}, dc[] = {0, 1, 0, -1};
    const int32_t r = row + dr[d], c = column + dc[d];
    if (r < 0 || r >= GRID_ROWS || c < 0 || c >= GRID_COLUMNS)
        return 0;
    return c * GRID_ROWS + r + 1;
}

// Follows typed directions from a room; a wall, obstacle or leave stays put.
int32_t walk(int32_t from, const std::vector<forest_direction> &moves)
{
    for (forest_direction d : moves) {
        const forest_exit &e = room(from).exits[d];
        if (e.kind == forest_exit_kind::room)
            from = e.room;
    }
    return from;
}

TEST(ForestMap, PassagesFollowTheGridAndWorkBothWays)
{
    int passages = 0, leaves = 0;
    std::array<int, FOREST_OBSTACLE_COUNT> obstacle_sides{};
    for (int32_t n = 1; n <= FOREST_ROOM_COUNT; ++n) {
        for (int d = 0; d < FOREST_DIRECTION_COUNT; ++d) {
            const auto dir = forest_direction(d);
            const forest_exit &e = room(n).exits[d];
            const int32_t next = grid_neighbour(n, dir);
            SCOPED_TRACE("room " + std::to_string(n) + " " + forest_direction_words[d]);
            switch (e.kind) {
            case forest_exit_kind::room:
                ++passages;
                ASSERT_EQ(e.room, next);
                EXPECT_EQ(room(next).exits[opposite(dir)].kind, forest_exit_kind::room);
                EXPECT_EQ(room(next).exits[opposite(dir)].room, n);
                break;
            case forest_exit_kind::obstacle: {
                // Met from both sides of one passage.
                ++obstacle_sides[size_t(e.obstacle)];
                ASSERT_NE(next, 0);
                const forest_exit &back = room(next).exits[opposite(dir)];
                EXPECT_EQ(back.kind, forest_exit_kind::obstacle);
                EXPECT_EQ(back.obstacle, e.obstacle);
                break;
            }
            case forest_exit_kind::leave:
                ++leaves;
                EXPECT_EQ(n, FOREST_ENTRANCE);
                EXPECT_EQ(dir, NORTH);
                break;
            case forest_exit_kind::wall:
                break;
            }
        }
    }
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(passages % 2, 0);
    for (int sides : obstacle_sides)
        EXPECT_EQ(sides, 2);
}

TEST(ForestMap, EveryRoomIsReachedAndTheHerbLiesEighteenMovesIn)
{
    std::array<int, FOREST_ROOM_COUNT + 1> distance;
    distance.fill(-1);
    std::queue<int32_t> open;
    distance[FOREST_ENTRANCE] = 0;
    open.push(FOREST_ENTRANCE);
    while (!open.empty()) {
        const int32_t n = open.front();
        open.pop();
        for (const forest_exit &e : room(n).exits)
            if (e.kind == forest_exit_kind::room && distance[e.room] < 0) {
                distance[e.room] = distance[n] + 1;
                open.push(e.room);
            }
    }
    for (int32_t n = 1; n <= FOREST_ROOM_COUNT; ++n)
        EXPECT_GE(distance[n], 0) << "room " << n;
    EXPECT_EQ(distance[FOREST_HERB_ROOM], 18);

    // The way in and the same way back, reversed.
    const std::vector<forest_direction> in = {SOUTH, SOUTH, EAST,  SOUTH, WEST, SOUTH,
                                              EAST,  EAST,  EAST,  NORTH, EAST, NORTH,
                                              NORTH, WEST,  NORTH, EAST,  EAST, SOUTH};
    EXPECT_EQ(walk(FOREST_ENTRANCE, in), FOREST_HERB_ROOM);
    std::vector<forest_direction> out;
    for (auto it = in.rbegin(); it != in.rend(); ++it)
        out.push_back(opposite(*it));
    EXPECT_EQ(walk(FOREST_HERB_ROOM, out), FOREST_ENTRANCE);
}

// The directions a "You can go A or B ..." text names, in the order written;
// an unknown word fails the test.
std::vector<forest_direction> named_directions(std::string text)
{
    std::vector<forest_direction> named;
    const size_t go = text.find("go ");
    if (go == std::string::npos)
        return named;
    text = text.substr(go + 3);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(" or ", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        int d = 0;
        while (d < FOREST_DIRECTION_COUNT && word != forest_direction_words[d])
            ++d;
        EXPECT_LT(d, FOREST_DIRECTION_COUNT) << word;
        named.push_back(forest_direction(d));
        start = end + 4;
    }
    return named;
}

TEST(ForestMap, RoomTextsNameTheirExits)
{
    for (int32_t n = 1; n <= FOREST_ROOM_COUNT; ++n) {
        SCOPED_TRACE("room " + std::to_string(n));
        const forest_room &r = room(n);
        std::vector<forest_direction> open, said_open;
        std::vector<std::string> blocked, said_blocked;
        for (int d = 0; d < FOREST_DIRECTION_COUNT; ++d) {
            const forest_exit &e = r.exits[d];
            if (e.kind == forest_exit_kind::room)
                open.push_back(forest_direction(d));
            if (e.kind == forest_exit_kind::obstacle)
                blocked.push_back(std::string("The ") + forest_direction_words[d] +
                                  " path is blocked by " +
                                  forest_obstacle_names[size_t(e.obstacle)] + ".");
        }
        const int32_t count = forest_room_text_count(r);
        ASSERT_GE(count, 1);
        for (int32_t i = 0; i < count; ++i) {
            const std::string text = r.texts[i];
            if (text.rfind("The ", 0) == 0)
                said_blocked.push_back(text);
            else if (text != "Or you can go NORTH to the Clearing.")
                for (forest_direction d : named_directions(text))
                    said_open.push_back(d);
        }
        EXPECT_EQ(said_open, open);
        EXPECT_EQ(said_blocked, blocked);
        const std::string last = r.texts[count - 1];
        if (n == FOREST_ENTRANCE)
            EXPECT_EQ(last, "Or you can go NORTH to the Clearing.");
        else if (n == FOREST_HERB_ROOM)
            EXPECT_EQ(last, "You can go NORTH");
        else
            EXPECT_EQ(last.back(), '.');
    }
}

} // namespace
