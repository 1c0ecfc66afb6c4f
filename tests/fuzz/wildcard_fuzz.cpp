// Fuzz target for the wildcard matcher. The input is a pattern and a name
// separated by the first newline. Where no rule of the classic file-name
// wildcards applies, the answer must equal fnmatch's with letter case
// ignored; where one applies, each rule may only widen or narrow the match as
// it says. Patterns with '[' or '\' are compared only for not crashing, as
// fnmatch gives those characters meanings the matcher does not have.
#include "platform/wildcard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fnmatch.h>
#include <string>

namespace
{

bool reference_match(const std::string &pattern, const std::string &name)
{
    return fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The rules: a trailing ".*" may also match without the extension, a
// trailing "." (after another character) allows no '.' in the name, and '?'
// may also match no character.
void compare(const std::string &pattern, const std::string &name)
{
    const bool mine = wildcard_match(pattern, name);
    const bool has_question = pattern.find('?') != std::string::npos;
    const size_t n = pattern.size();
    if (n >= 2 && pattern[n - 1] == '.' && pattern[n - 2] != '.') {
        if (mine)
            check(name.find('.') == std::string::npos);
        return;
    }
    bool reference = reference_match(pattern, name);
    if (n >= 2 && pattern[n - 2] == '.' && pattern[n - 1] == '*')
        reference = reference || reference_match(pattern.substr(0, n - 2), name);
    if (has_question)
        check(!reference || mine);
    else
        check(mine == reference);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string input(reinterpret_cast<const char *>(data), size);
    std::string::size_type cut = input.find('\n');
    if (cut == std::string::npos)
        return 0;
    std::string pattern = input.substr(0, cut);
    std::string name = input.substr(cut + 1);
    bool comparable = pattern.find_first_of(std::string("[\\/\0", 4)) == std::string::npos &&
                      name.find_first_of(std::string("/\0", 2)) == std::string::npos;
    if (!comparable) {
        wildcard_match(pattern, name);
        return 0;
    }
    compare(pattern, name);
    return 0;
}
