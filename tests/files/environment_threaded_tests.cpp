#include "core/strings.h"
#include "files/environment.h"
#include "platform/os_environment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace
{

// Round i's value of RT_THREAD_<id>: i % 50 + 1 copies of id; every seventh
// round removes the variable.
std::string value_of(char id, int i)
{
    return i % 7 == 0 ? "" : std::string(size_t(i % 50 + 1), id);
}

// Two threads run ENVIRON, each changing a variable of its own and adding a
// new one every round (the table grows and moves), while two others read it
// by name, by number and whole, as ENVIRON$, the device lookups and started
// programs do. Every value read is one that was written, whole.
TEST(EnvironmentThreaded, EnvironAgainstReaders)
{
    constexpr int ROUNDS = 1000;
    os_environment_startup();
    std::atomic<int> writing{2}, torn{0};
    auto writer = [&](char id) {
        const std::string name = std::string("RT_THREAD_") + id;
        for (int i = 1; i <= ROUNDS; ++i)
            for (std::string text : {name + "=" + value_of(id, i),
                                     name + "_" + std::to_string(i) + "=" + std::to_string(i)}) {
                string_descriptor d{};
                d.chr = reinterpret_cast<uint8_t *>(text.data());
                d.len = int32_t(text.size());
                rt_environ(&d);
            }
        writing.fetch_sub(1);
    };
    auto torn_if = [&](const std::string &entry, char id) {
        const std::string prefix = std::string("RT_THREAD_") + id + "=";
        if (!entry.starts_with(prefix))
            return;
        const std::string v = entry.substr(prefix.size());
        torn += v.empty() || v.size() > 50 || v.find_first_not_of(id) != std::string::npos;
    };
    auto reader = [&] {
        for (int64_t n = 1; writing.load() > 0; n = os_environment_entry(n) ? n + 97 : 1)
            for (char id : {'A', 'B'}) {
                const std::string name = std::string("RT_THREAD_") + id;
                if (auto v = os_environment_get(name))
                    torn_if(name + "=" + *v, id);
                for (const std::string &e : os_environment_entries())
                    torn_if(e, id);
            }
    };
    std::thread threads[] = {std::thread(writer, 'A'), std::thread(writer, 'B'),
                             std::thread(reader), std::thread(reader)};
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(torn.load(), 0);
    for (char id : {'A', 'B'})
        EXPECT_EQ(os_environment_get(std::string("RT_THREAD_") + id), value_of(id, ROUNDS));
    os_environment_startup();
}

} // namespace
