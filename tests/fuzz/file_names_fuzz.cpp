// Fuzz target for the texts the directory statements and SHELL take apart:
// the input is taken as a file name laid out for FILES, and as a command
// split into its words. Nothing may crash or trip a sanitizer; an entry is
// 18 characters for a name of up to 12, the whole name and its 6-character
// mark otherwise; no word of a command keeps a double quote.
#include "files/directories.h"
#include "platform/os_process.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void entry_check(const std::string &name)
{
    for (bool is_dir : {false, true}) {
        std::string shown = files_entry_text(name, is_dir);
        check(shown.size() >= 18 && shown.size() >= name.size() + 6);
        check(shown.compare(shown.size() - 6, 6, is_dir ? "<DIR> " : "      ") == 0);
        if (name.size() <= 12)
            check(shown.size() == 18);
    }
}

void words_check(const std::string &command)
{
    size_t kept = 0;
    for (const std::string &w : os_command_split(command)) {
        check(w.find('"') == std::string::npos);
        kept += w.size();
    }
    check(kept <= command.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    entry_check(text);
    words_check(text);
    return 0;
}
