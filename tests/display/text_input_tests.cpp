// The character-type locale the window's text input chooses at start-up.
#include "display/text_input.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <langinfo.h>
#include <string>
#include <strings.h>

namespace
{

// A Turkish locale makes "i" and "I" letters of different pairs (i with İ, ı
// with I); the runtime's case folding of names and words must not follow it.
// The locale is built for the test, in a folder of its own.
TEST(TextInput, ALocaleThatFoldsTheAsciiLettersOtherwiseIsNotTaken)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("text_input_locale." + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string make = "localedef -i tr_TR -f UTF-8 '" + (dir / "tr_TR.UTF-8").string() +
                             "' >/dev/null 2>&1";
    const bool made = std::system(make.c_str()) == 0;
    setenv("LOCPATH", dir.c_str(), 1);
    setenv("LANG", "tr_TR.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    const bool turkish = made && std::setlocale(LC_CTYPE, "") && std::toupper('i') != 'I';

    text_input_locale_choose();
    const int upper_i = std::toupper('i');
    const int compared = strcasecmp("CONFIG.INI", "config.ini");
    const std::string codeset = nl_langinfo(CODESET);

    std::setlocale(LC_CTYPE, "C");
    unsetenv("LOCPATH");
    unsetenv("LANG");
    std::filesystem::remove_all(dir);
    if (!turkish)
        GTEST_SKIP() << "no Turkish locale can be built here";
    EXPECT_EQ(upper_i, 'I');
    EXPECT_EQ(compared, 0);
    EXPECT_EQ(codeset, "UTF-8");
}

} // namespace
