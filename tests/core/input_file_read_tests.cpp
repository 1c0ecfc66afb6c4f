#include "core/errors.h"
#include "core/number_scan.h"
#include "files/file_bytes.h"
#include "files/file_bytes_memory.h"
#include "support/gives_raising.h"
#include "tests/core/string_test_support.h"

#include <string>
#include <tuple>
#include <vector>

namespace
{

constexpr uint32_t SINGLE = NUMERIC_TYPE_FLOAT | 32;
constexpr uint32_t DOUBLE = NUMERIC_TYPE_FLOAT | 64;
constexpr int32_t FILE_NUMBER = 1;

// File #1 holds the text, open for INPUT.
class InputFileRead : public StringTest
{
  protected:
    void SetUp() override
    {
        StringTest::SetUp();
        file_bytes_memory_reset();
    }
    int32_t open(std::string_view text) { return file_bytes_memory_bind(FILE_NUMBER, text); }
    long double number(uint32_t type = DOUBLE) { return rt_input_file_number(FILE_NUMBER, type); }
    std::vector<long double> numbers(int count)
    {
        std::vector<long double> v;
        for (int i = 0; i < count; i++)
            v.push_back(number());
        return v;
    }
    std::string text()
    {
        string_descriptor *dest = variable("old");
        rt_input_file_string(FILE_NUMBER, dest);
        return text_of(dest);
    }
};

using values = std::vector<long double>;

TEST_F(InputFileRead, SaveFileLineReadsBackIntoSingles)
{
    open(" 3.1,1,0,1,0,2.6\r\n");
    EXPECT_EQ(static_cast<float>(number(SINGLE)), 3.1f);
    EXPECT_EQ(numbers(4), (values{1, 0, 1, 0}));
    EXPECT_EQ(static_cast<float>(number(SINGLE)), 2.6f);
    rt_input_file_end();
    EXPECT_TRUE(gives_raising(number(), 0, 62));
}

// Each row: the file's text and the numbers INPUT # reads from it in turn.
TEST_F(InputFileRead, ItemsAndSeparatorsTable)
{
    struct row {
        const char *text;
        values want;
    } rows[] = {
        {"  -12.5E+1", {-125}},
        {"1e,2", {1, 2}},
        {"+-3,4", {0, 4}},     // the sign ends the item; the rest is skipped
        {"12 34", {12, 34}},   // a blank separates items
        {"12  ,34", {12, 34}}, // blanks before a comma belong to it
        {"\t5,6", {0, 6}},     // a tab is no blank: the item is empty
        {"12abc,7", {12, 7}},
        {"&H1F,&o17,&H,-&H10,9", {31, 15, 0, 0, 9}},
        {"1\r\n2\n\r3\r4\n5", {1, 2, 3, 4, 5}},
        {"1\r\r2", {1, 0, 2}}, // an empty line is an empty item
        {"1E-400,.5", {0, 0.5}},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.text);
        file_bytes_memory_reset();
        open(r.text);
        EXPECT_EQ(numbers(int(r.want.size())), r.want);
        EXPECT_TRUE(gives_raising(number(), 0, 62));
    }
}

TEST_F(InputFileRead, ByteTwentySixEndsTheFile)
{
    int32_t handle = open("5\x1a"
                          "6");
    EXPECT_EQ(number(), 5);
    EXPECT_EQ(file_bytes_memory_eof_flag(handle), 1);
    EXPECT_TRUE(gives_raising(number(), 0, 62));
}

TEST_F(InputFileRead, RangeErrors)
{
    open("1E39,-1E39,0.5,0.5,1E309," + std::string(257, '9') + ",7");
    EXPECT_TRUE(gives_raising(number(SINGLE), 0, 6));
    EXPECT_TRUE(gives_raising(number(SINGLE), 0, 6));
    EXPECT_EQ(number(16), 0);                       // half to even
    EXPECT_EQ(rt_input_file_int64(FILE_NUMBER), 1); // half away from zero
    EXPECT_TRUE(gives_raising(number(), 0, 6));
    EXPECT_TRUE(gives_raising(number(), 0, 6));
    EXPECT_EQ(number(), 7); // the long item was skipped up to its comma
}

TEST_F(InputFileRead, SixtyFourBitItems)
{
    open("-9223372036854775808,18446744073709551615,-1");
    EXPECT_EQ(rt_input_file_int64(FILE_NUMBER), INT64_MIN);
    EXPECT_EQ(rt_input_file_uint64(FILE_NUMBER), UINT64_MAX);
    EXPECT_TRUE(gives_raising(rt_input_file_uint64(FILE_NUMBER), 0u, 6));
}

TEST_F(InputFileRead, FileChecks)
{
    struct row {
        int32_t number;
        uint8_t mode, may_read;
        uint32_t error;
    } rows[] = {
        {2, FILE_MODE_INPUT, 1, 52}, // nothing bound to #2
        {0, FILE_MODE_INPUT, 1, 52},
        {FILE_NUMBER, FILE_MODE_OUTPUT, 1, 54},
        {FILE_NUMBER, FILE_MODE_INPUT, 0, 75},
    };
    for (const row &r : rows) {
        file_bytes_memory_reset();
        file_bytes_memory_bind(FILE_NUMBER, "5", r.mode, r.may_read);
        EXPECT_EQ(rt_input_file_number(r.number, DOUBLE), 0);
        EXPECT_EQ(error_pending_take(), r.error) << r.number;
        string_descriptor *dest = variable("old");
        rt_input_file_string(r.number, dest);
        EXPECT_EQ(error_pending_take(), r.error) << r.number;
        EXPECT_EQ(text_of(dest), "old");
    }
}

TEST_F(InputFileRead, ReadFailureRaisesOnceAndYieldsZero)
{
    int32_t handle = open("123,4");
    file_bytes_memory_fail_at(handle, 1);
    EXPECT_TRUE(gives_raising(number(), 0, 75));
    file_bytes_memory_fail_at(handle, -1);
    EXPECT_EQ(number(), 23);
}

TEST_F(InputFileRead, NothingIsReadWhileAnErrorIsPending)
{
    int32_t handle = open("5,6");
    error_raise(9);
    EXPECT_EQ(number(), 0);
    EXPECT_TRUE(gives_raising(text(), "old", 9));
    EXPECT_EQ(file_bytes_memory_position(handle), 0);
}

TEST_F(InputFileRead, StringItems)
{
    open("  hello world \t,\"a,b\r\nc\" junk,x\r\n\"q\"\r\nlast");
    for (const char *want : {"hello world", "a,b\r\nc", "x", "q", "last"})
        EXPECT_EQ(text(), want);
    EXPECT_TRUE(gives_raising(text(), "", 62));
}

// Records as WRITE # leaves them, read back with INPUT # name$, age, score.
TEST_F(InputFileRead, WrittenRecordsReadBackFieldByField)
{
    open("\"Alice\",42,3.5\r\n\"Bob, Jr.\",7,-2.5E-1\r\n");
    for (const auto &[name, age, score] : {std::tuple{"Alice", 42, 3.5}, {"Bob, Jr.", 7, -0.25}}) {
        EXPECT_EQ(text(), name);
        EXPECT_EQ(number(16), age);
        EXPECT_EQ(static_cast<float>(number(SINGLE)), float(score));
        rt_input_file_end();
    }
    EXPECT_TRUE(gives_raising(text(), "", 62));
}

TEST_F(InputFileRead, StringReadFailureLeavesTheDestination)
{
    int32_t handle = open("abcdef");
    file_bytes_memory_fail_at(handle, 3);
    EXPECT_TRUE(gives_raising(text(), "old", 75));

    string_descriptor *dest = variable("old");
    rt_input_file_string(-1, dest); // a negative number does nothing
    EXPECT_EQ(text_of(dest), "old");
}

} // namespace
