// A locked list shared by two threads. Run under ThreadSanitizer too.
#include "core/lists.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int32_t WRITER_RECORDS = 20000;

// One thread adds records (removing every third again) through many growths of
// the index table and the blocks; the other reads with list_get meanwhile. A
// record the reader sees must always be the same one for its index and carry
// that index or 0 (just removed).
TEST(ListsThreaded, ReaderRacingGrowthSeesStableRecords)
{
    indexed_list *list = list_new_locked(20);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int32_t i = 0; i < WRITER_RECORDS; i++) {
            int32_t index = list_add(list);
            if (index % 3 == 0)
                list_remove(list, index);
        }
        done.store(true);
    });
    std::vector<void *> seen(WRITER_RECORDS * 2 + 1, nullptr);
    int failures = 0;
    while (!done.load()) {
        int32_t highest = list_highest_index(list);
        for (int32_t i = 1; i <= highest; i++) {
            void *record = list_get(list, i);
            if (!record)
                continue;
            if (seen[i] && seen[i] != record)
                failures++;
            seen[i] = record;
            int32_t kept = list_index_of(list, record);
            if (kept != i && kept != 0)
                failures++;
        }
    }
    writer.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(list_get(list, 3), nullptr);
    EXPECT_NE(list_get(list, 2), nullptr);
    list_free(list);
}

// Two threads add and remove at once; each writes its own mark into the
// records it got and checks them before removing them, so an index handed to
// both threads shows up as a foreign mark.
TEST(ListsThreaded, ConcurrentAddsNeverShareARecord)
{
    indexed_list *list = list_new_locked(8);
    std::atomic<int> foreign{0};
    auto worker = [&](uint32_t mark) {
        std::vector<int32_t> mine;
        for (int round = 0; round < 400; round++) {
            for (int k = 0; k < 25; k++) {
                int32_t index = list_add(list);
                auto *record = static_cast<uint32_t *>(list_get(list, index));
                if (!record || record[0] != 0 || record[1] != 0)
                    foreign++;
                else
                    record[0] = mark, record[1] = uint32_t(index);
                mine.push_back(index);
            }
            for (int32_t index : mine) {
                auto *record = static_cast<uint32_t *>(list_get(list, index));
                if (!record || record[0] != mark || record[1] != uint32_t(index))
                    foreign++;
                if (list_remove(list, index) != -1)
                    foreign++;
            }
            mine.clear();
        }
    };
    std::thread a(worker, 0xA);
    std::thread b(worker, 0xB);
    a.join();
    b.join();
    EXPECT_EQ(foreign.load(), 0);
    // Every record went back; at most 50 were ever out at once.
    EXPECT_LE(list_highest_index(list), 50);
    list_free(list);
}

} // namespace
