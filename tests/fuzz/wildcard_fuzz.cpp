// Fuzz target for the wildcard matcher. The input is a pattern and a name
// separated by the first newline. For short inputs the answer must equal
// that of a plain recursive reading of the rules below; for every input, a
// long pattern (held a byte per state) must answer as a short one does.
#include "platform/wildcard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr size_t REFERENCE_PATTERN_MAX = 40;
constexpr size_t REFERENCE_NAME_MAX = 64;
// Longer than the patterns whose states fit the bits of one word.
const std::string LONG_PREFIX(64, 'x');

void check(bool condition)
{
    if (!condition)
        std::abort();
}

char fold(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// The rules read straight, one pattern character at a time:
// - '?' takes one character that is not a '.'; at a '.' or the end of the
//   name the rest of its run of '?' may be passed over;
// - a '.' followed by '?' or '*' takes a '.', or nothing at the end;
// - '*' takes any run, except that a '*' followed by a '.' never takes the
//   name's last '.';
// - every other character takes itself, ASCII letter case ignored.
// Each answer is remembered, so '*' runs cost no more than pattern x name^2.
class reference
{
  public:
    reference(std::string pattern, std::string name)
        : p_(std::move(pattern)), n_(std::move(name)), last_dot_(n_.rfind('.')),
          memo_((p_.size() + 1) * (n_.size() + 1), -1)
    {
    }
    bool match(size_t i, size_t j)
    {
        int8_t &known = memo_[i * (n_.size() + 1) + j];
        if (known < 0)
            known = int8_t(decide(i, j));
        return known != 0;
    }

  private:
    bool decide(size_t i, size_t j)
    {
        if (i == p_.size())
            return j == n_.size();
        const char c = p_[i];
        const char next = i + 1 < p_.size() ? p_[i + 1] : '\0';
        const bool name_ended = j == n_.size();
        if (c == '*') {
            for (size_t k = j;; ++k) { // the run n_[j, k)
                if (match(i + 1, k))
                    return true;
                if (k == n_.size() || (next == '.' && k == last_dot_))
                    return false;
            }
        }
        if (c == '?') {
            if (!name_ended && n_[j] != '.')
                return match(i + 1, j + 1);
            size_t after_run = i;
            while (after_run < p_.size() && p_[after_run] == '?')
                ++after_run;
            return match(after_run, j);
        }
        if (c == '.' && (next == '?' || next == '*'))
            return name_ended ? match(i + 1, j) : n_[j] == '.' && match(i + 1, j + 1);
        return !name_ended && fold(n_[j]) == fold(c) && match(i + 1, j + 1);
    }

    std::string p_, n_;
    size_t last_dot_;
    std::vector<int8_t> memo_;
};

// The dots ending a pattern are dropped, and it then takes only names without
// a '.'; a pattern of dots alone stays as it is.
bool reference_match(std::string pattern, const std::string &name)
{
    const size_t kept = pattern.find_last_not_of('.');
    if (kept != std::string::npos && kept + 1 < pattern.size()) {
        if (name.find('.') != std::string::npos)
            return false;
        pattern.resize(kept + 1);
    }
    return reference(pattern, name).match(0, 0);
}

bool only_dots(const std::string &text)
{
    return !text.empty() && text.find_first_not_of('.') == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string input(reinterpret_cast<const char *>(data), size);
    std::string::size_type cut = input.find('\n');
    if (cut == std::string::npos)
        return 0;
    const std::string pattern = input.substr(0, cut);
    const std::string name = input.substr(cut + 1);
    const bool mine = wildcard_match(pattern, name);
    if (pattern.size() <= REFERENCE_PATTERN_MAX && name.size() <= REFERENCE_NAME_MAX)
        check(mine == reference_match(pattern, name));
    // A literal prefix without dots changes no answer, except that it turns
    // a pattern of dots alone into one whose final dots are dropped.
    if (!only_dots(pattern))
        check(wildcard_match(LONG_PREFIX + pattern, LONG_PREFIX + name) == mine);
    return 0;
}
