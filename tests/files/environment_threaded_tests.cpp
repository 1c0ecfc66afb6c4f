#include "core/strings.h"
#include "files/environment.h"
#include "platform/os_environment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr int ROUNDS = 1000;

void environ_of(std::string text)
{
    string_descriptor d{};
    d.chr = reinterpret_cast<uint8_t *>(text.data());
    d.len = int32_t(text.size());
    rt_environ(&d);
}

// Round i's value of writer id's variable: i % 50 + 1 copies of its letter;
// every seventh round removes it.
std::string value_of(char id, int i)
{
    return i % 7 == 0 ? "" : std::string(size_t(i % 50 + 1), id);
}

bool value_whole(const std::string &value, char id)
{
    return !value.empty() && value.size() <= 50 && value.find_first_not_of(id) == std::string::npos;
}

// Two threads run ENVIRON, changing a variable of their own and adding one
// new variable a round (the table grows and moves), while two others read
// it by name, by number and whole, as ENVIRON$, the device lookups and
// started programs do. Every value read is one a writer wrote, whole.
TEST(EnvironmentThreaded, EnvironAgainstReaders)
{
    os_environment_startup();
    std::atomic<int> writing{2};
    auto writer = [&](char id) {
        const std::string name = std::string("RT_THREAD_") + id;
        for (int i = 1; i <= ROUNDS; ++i) {
            environ_of(name + "=" + value_of(id, i));
            environ_of(name + "_" + std::to_string(i) + "=" + std::to_string(i));
        }
        writing.fetch_sub(1);
    };
    std::atomic<int> torn{0};
    auto reader = [&](bool whole) {
        int64_t n = 1;
        while (writing.load() > 0) {
            for (char id : {'A', 'B'}) {
                const auto v = os_environment_get(std::string("RT_THREAD_") + id);
                torn += v && !value_whole(*v, id);
            }
            if (whole) {
                for (const std::string &e : os_environment_entries())
                    for (char id : {'A', 'B'}) {
                        const std::string prefix = std::string("RT_THREAD_") + id + "=";
                        torn += e.starts_with(prefix) && !value_whole(e.substr(prefix.size()), id);
                    }
            } else {
                const auto e = os_environment_entry(n);
                n = e ? n + 97 : 1;
                torn += e && e->find('=') == std::string::npos;
            }
        }
    };
    std::thread threads[] = {std::thread(writer, 'A'), std::thread(writer, 'B'),
                             std::thread(reader, true), std::thread(reader, false)};
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(torn.load(), 0);
    for (char id : {'A', 'B'}) {
        const std::string name = std::string("RT_THREAD_") + id;
        EXPECT_EQ(os_environment_get(name), value_of(id, ROUNDS));
        EXPECT_EQ(os_environment_get(name + "_" + std::to_string(ROUNDS)), std::to_string(ROUNDS));
    }
    os_environment_startup();
}

} // namespace
