// Random operations on heap, DOS and fixed-length strings and temporaries,
// checked after every step against a model that keeps each live string's
// text and a shadow of the temporary list. Small starting tables make
// compaction and growth happen often.
#include "core/string_support.h"

#include "core/errors.h"
#include "core/strings_internal.h"

#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr size_t MAX_HEAP_TEXT = 3000;
constexpr size_t MAX_DOS_TEXT = 200;
constexpr size_t MAX_VARS = 80;
constexpr size_t MAX_DOS_VARS = 30;

struct model_var {
    string_descriptor *d;
    std::string text;
    std::unique_ptr<uint8_t[]> buffer; // memory under a fixed-length string
    int dos_fixed_slot = -1;           // fixed-length string over the DOS area
};

struct source {
    string_descriptor *d;
    std::string text;
};

class string_model {
  public:
    explicit string_model(uint32_t seed) : rng(seed) {
        for (int i = 0; i < 256; i++)
            pool += char(rng());
    }

    void step();
    ::testing::AssertionResult check() const;

    // Strings made outside the model that must stay as they are.
    std::vector<source> others;

    int growths = 0, heap_compactions = 0, dos_compactions = 0;

  private:
    std::mt19937 rng;
    std::string pool; // constant text that literals point into
    std::vector<model_var> vars;
    std::map<string_descriptor *, std::string> temps;
    std::vector<string_descriptor *> shadow{nullptr}; // slot -> temporary, null when freed
    std::vector<uint32_t> marks;
    bool dos_slot_used[16] = {};

    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); }
    bool chance(int percent) { return int(pick(100)) < percent; }
    static size_t offset_in_area(const string_descriptor *d) {
        return size_t(d->chr - (d->in_dos ? dos_string_area() : string_heap.base));
    }
    int32_t length(size_t most) { return int32_t(pick(chance(85) ? 25 : most + 1)); }
    std::string bytes(size_t n);

    void temp_made(string_descriptor *d, std::string text);
    void temp_gone(string_descriptor *d);
    void release(uint32_t mark);
    void trim_shadow();

    source pick_source();
    void new_var();
    void new_fixed_var();
    void assign();
    void concat();
    void free_var();
    void free_temp();
    void make_temp();
    void statement_end();
};

std::string string_model::bytes(size_t n) {
    std::string s(n, '\0');
    for (char &c : s)
        c = char(rng());
    return s;
}

void string_model::temp_made(string_descriptor *d, std::string text) {
    temps[d] = std::move(text);
    shadow.push_back(d);
}

void string_model::trim_shadow() {
    while (shadow.size() > 1 && !shadow.back())
        shadow.pop_back();
}

void string_model::temp_gone(string_descriptor *d) {
    temps.erase(d);
    for (size_t i = shadow.size(); i-- > 1;)
        if (shadow[i] == d) {
            shadow[i] = nullptr;
            break;
        }
    trim_shadow();
}

void string_model::release(uint32_t mark) {
    temp_strings_release(mark);
    while (shadow.size() > std::max(mark, 1u)) {
        string_descriptor *d = shadow.back();
        shadow.pop_back();
        temps.erase(d);
        trim_shadow();
    }
}

// A temporary, a variable or a literal to read from.
source string_model::pick_source() {
    int kind = int(pick(10));
    if (kind < 3 && !temps.empty()) {
        auto it = std::next(temps.begin(), long(pick(temps.size())));
        return {it->first, it->second};
    }
    if (kind < 6 && !vars.empty()) {
        model_var &v = vars[pick(vars.size())];
        return {v.d, v.text};
    }
    if (kind < 8) {
        size_t n = pick(40), at = pick(pool.size() - n);
        string_descriptor *d = chance(70) ? string_from_buffer(pool.data() + at, int32_t(n))
                                          : string_over_memory(pool.data() + at, int32_t(n), true);
        temp_made(d, pool.substr(at, n));
        return {d, pool.substr(at, n)};
    }
    bool dos = kind == 9;
    std::string text = bytes(size_t(length(dos ? 60 : 400)));
    string_descriptor *d =
        dos ? string_new_dos(int32_t(text.size()), true) : string_new(int32_t(text.size()), true);
    if (!text.empty()) std::memcpy(d->chr, text.data(), text.size());
    temp_made(d, text);
    return {d, text};
}

void string_model::new_var() {
    size_t dos_vars = 0;
    for (const model_var &v : vars)
        dos_vars += v.d->in_dos;
    bool dos = chance(35) && dos_vars < MAX_DOS_VARS;
    std::string text = bytes(size_t(length(dos ? MAX_DOS_TEXT : 400)));
    string_descriptor *d =
        dos ? string_new_dos(int32_t(text.size()), false) : string_new(int32_t(text.size()), false);
    if (!text.empty()) std::memcpy(d->chr, text.data(), text.size());
    if (d->dos_descriptor) dos_descriptor_write(d);
    vars.push_back({d, text, nullptr});
}

// Over test memory, or over the unused bytes below offset 256 of the DOS
// string area (which gives the string a DOS descriptor).
void string_model::new_fixed_var() {
    model_var v;
    int slot = int(pick(15)) + 1;
    size_t n = pick(16);
    if (chance(30) && !dos_slot_used[slot]) {
        dos_slot_used[slot] = true;
        v.dos_fixed_slot = slot;
        v.d = string_over_memory(dos_string_area() + 16 * slot, int32_t(n), false);
    } else {
        v.buffer = std::make_unique<uint8_t[]>(n + 1);
        v.d = string_over_memory(v.buffer.get(), int32_t(n), false);
    }
    v.text.assign(reinterpret_cast<const char *>(v.d->chr), n);
    vars.push_back(std::move(v));
}

void string_model::assign() {
    model_var &dest = vars[pick(vars.size())];
    source s = pick_source();
    size_t most = dest.d->in_dos ? MAX_DOS_TEXT : MAX_HEAP_TEXT;
    if (s.text.size() > most) return;
    std::string expected = s.text;
    if (dest.d->fixed) {
        expected.resize(size_t(dest.d->len), ' ');
    }
    EXPECT_EQ(string_set(dest.d, s.d), dest.d);
    dest.text = expected;
    if (temps.count(s.d)) temp_gone(s.d);
}

void string_model::concat() {
    source a = pick_source();
    source b = pick_source();
    if (a.text.size() + b.text.size() > MAX_HEAP_TEXT) return;
    string_descriptor *r = string_concat(a.d, b.d);
    if (b.text.empty()) {
        EXPECT_EQ(r, a.d);
        return;
    }
    if (a.text.empty()) {
        EXPECT_EQ(r, b.d);
        return;
    }
    if (r == a.d) { // a temporary grown in place keeps its slot
        temps[r] = a.text + b.text;
        if (b.d != a.d && temps.count(b.d)) temp_gone(b.d);
        return;
    }
    temp_made(r, a.text + b.text);
    if (temps.count(a.d)) temp_gone(a.d);
    if (b.d != a.d && temps.count(b.d)) temp_gone(b.d);
}

void string_model::free_var() {
    size_t i = pick(vars.size());
    string_free(vars[i].d);
    if (vars[i].dos_fixed_slot >= 0) dos_slot_used[vars[i].dos_fixed_slot] = false;
    vars.erase(vars.begin() + long(i));
}

void string_model::free_temp() {
    auto it = std::next(temps.begin(), long(pick(temps.size())));
    string_descriptor *d = it->first;
    string_free(d);
    temp_gone(d);
}

// A heap or DOS variable joins the temporaries (as function results do).
void string_model::make_temp() {
    size_t i = pick(vars.size());
    if (vars[i].d->fixed) return;
    string_make_temp(vars[i].d);
    temp_made(vars[i].d, vars[i].text);
    vars.erase(vars.begin() + long(i));
}

// Statement ends release to the current procedure's mark; procedures are
// entered and left now and then.
void string_model::statement_end() {
    int what = int(pick(10));
    if (what < 2 && marks.size() < 6) {
        EXPECT_EQ(string_temp_count, shadow.size());
        marks.push_back(string_temp_count);
        return;
    }
    uint32_t mark = marks.empty() ? 1 : marks.back();
    if (what < 4 && !marks.empty()) marks.pop_back();
    release(mark);
}

void string_model::step() {
    std::map<string_descriptor *, size_t> before;
    for (const model_var &v : vars)
        if (!v.d->fixed) before[v.d] = offset_in_area(v.d);
    size_t capacity = string_heap.capacity;

    int op = int(pick(100));
    if (temps.size() > 150)
        release(1);
    else if (op < 14 || vars.empty())
        vars.size() < MAX_VARS ? new_var() : free_var();
    else if (op < 18)
        vars.size() < MAX_VARS ? new_fixed_var() : free_var();
    else if (op < 26)
        pick_source();
    else if (op < 48)
        assign();
    else if (op < 64)
        concat();
    else if (op < 74)
        free_var();
    else if (op < 78 && !temps.empty())
        free_temp();
    else if (op < 81)
        make_temp();
    else
        statement_end();

    // A string that an operation did not touch moves down only in a compaction.
    growths += string_heap.capacity != capacity;
    bool moved[2] = {false, false};
    for (const model_var &v : vars) {
        auto it = before.find(v.d);
        if (it != before.end() && offset_in_area(v.d) < it->second) moved[v.d->in_dos] = true;
    }
    heap_compactions += moved[0];
    dos_compactions += moved[1];
}

::testing::AssertionResult string_model::check() const {
    if (uint32_t e = error_pending.load())
        return ::testing::AssertionFailure() << "error " << e << " raised";
    if (::testing::AssertionResult r = string_tables_consistent(); !r) return r;
    if (string_temp_count != shadow.size())
        return ::testing::AssertionFailure()
               << "temp count " << string_temp_count << ", model " << shadow.size();
    size_t heap_live = 0, dos_live = 0;
    auto count = [&](const string_descriptor *d) {
        if (!d->fixed && !d->readonly) (d->in_dos ? dos_live : heap_live)++;
    };
    for (const source &o : others) {
        count(o.d);
        if (text_of(o.d) != o.text)
            return ::testing::AssertionFailure() << "a string outside the model changed";
    }
    for (const model_var &v : vars) {
        count(v.d);
        if (text_of(v.d) != v.text || v.d->tmp || v.d->tmplisti)
            return ::testing::AssertionFailure() << "variable changed";
        if (v.d->in_dos && !v.d->dos_descriptor)
            return ::testing::AssertionFailure() << "DOS variable without DOS descriptor";
    }
    for (const auto &[d, text] : temps) {
        count(d);
        if (text_of(d) != text) return ::testing::AssertionFailure() << "temporary changed";
        if (!d->tmp || d->tmplisti >= shadow.size() || shadow[d->tmplisti] != d ||
            temp_list.slots[d->tmplisti] != d)
            return ::testing::AssertionFailure() << "temporary not in its slot";
    }
    auto live = [](const string_list &list) {
        size_t n = 0;
        for (uint32_t i = 0; i < list.count; i++)
            n += list.entries[i] != STRING_SLOT_FREED;
        return n;
    };
    if (live(string_heap.list) != heap_live || live(dos_strings.list) != dos_live)
        return ::testing::AssertionFailure() << "a storage list holds a string the model lost";
    return ::testing::AssertionSuccess();
}

class StringModelTest : public StringsTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(StringModelTest, RandomOperationsKeepEveryStringIntact) {
    strings_reset(256, 7);
    dos_string_area_reserve_zero_block();
    strings_shared_create();
    string_model model(GetParam());
    // Ballast fills most of the DOS area, so that DOS strings compact often.
    string_descriptor *ballast = string_new_dos(60000, false);
    std::memset(ballast->chr, 'B', 60000);
    model.others = {
        {string_empty_dos, ""}, {string_space_dos, " "}, {ballast, std::string(60000, 'B')}};
    for (int i = 0; i < 10000; i++) {
        model.step();
        ASSERT_TRUE(model.check()) << "after step " << i;
    }
    EXPECT_GE(model.growths, 3);
    EXPECT_GE(model.heap_compactions, 20);
    EXPECT_GE(model.dos_compactions, 3);
}

INSTANTIATE_TEST_SUITE_P(Seeds, StringModelTest, ::testing::Values(1u, 7u, 42u, 2024u, 99991u));

} // namespace
