#include "sound/audio_config.h"

#include <gtest/gtest.h>

using paths = std::vector<std::string>;

TEST(audio_config, files_are_listed_in_the_order_the_library_reads_them)
{
    struct row {
        audio_config_environment environment;
        std::string program_dir;
        paths expected;
    };
    const row rows[] = {
        {{}, "", {"/etc/openal/alsoft.conf", "/etc/xdg/alsoft.conf"}},
        // The last folder listed is read first; empty entries are skipped.
        {{"/a:/b/::", "/h", nullptr, "my.conf"},
         "/p",
         {"/etc/openal/alsoft.conf", "/b/alsoft.conf", "/a/alsoft.conf", "/h/.alsoftrc",
          "/h/.config/alsoft.conf", "/p/alsoft.conf", "my.conf"}},
        // Empty values count as unset; XDG_CONFIG_HOME stands without HOME.
        {{"", "", "/c", ""},
         "",
         {"/etc/openal/alsoft.conf", "/etc/xdg/alsoft.conf", "/c/alsoft.conf"}},
    };
    for (const row &r : rows)
        EXPECT_EQ(audio_config_paths(r.environment, r.program_dir), r.expected) << r.program_dir;
}

// Each file starts in the general section, as it would read alone, and a
// last line without its end cannot swallow the next file's first line.
TEST(audio_config, the_players_files_follow_the_default_each_on_its_own)
{
    const std::string moves = "[pulse]\nallow-moves = true\n";
    EXPECT_EQ(audio_config_text({}), moves);
    EXPECT_EQ(audio_config_text({"", "drivers = wave", "[pulse]\nallow-moves = false\n"}),
              moves + "[general]\ndrivers = wave\n[general]\n[pulse]\nallow-moves = false\n");
}
