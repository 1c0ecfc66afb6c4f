#include "core/errors.h"
#include "core/number_scan.h"
#include "support/gives_raising.h"
#include "tests/core/string_test_support.h"

#include <climits>
#include <string>

namespace
{

constexpr uint32_t SINGLE = NUMERIC_TYPE_FLOAT | 32;
constexpr uint32_t DOUBLE = NUMERIC_TYPE_FLOAT | 64;

// A DATA block and its read position.
class DataRead : public StringTest
{
  protected:
    void use(std::string text)
    {
        block = std::move(text);
        position = 0;
    }
    long double read(uint32_t type = DOUBLE)
    {
        return rt_read_number(bytes(), &position, length(), type);
    }
    std::string read_text()
    {
        string_descriptor *dest = variable("old");
        rt_read_string(bytes(), &position, length(), dest);
        return text_of(dest);
    }
    const uint8_t *bytes() const { return reinterpret_cast<const uint8_t *>(block.data()); }
    int32_t length() const { return int32_t(block.size()); }

    std::string block;
    int32_t position = 0;
};

TEST_F(DataRead, NumbersInTurnThenOutOfData)
{
    use("1,2.5,-3,,&H1F,&o17,&H,&");
    for (long double want : {1.0L, 2.5L, -3.0L, 0.0L, 31.0L, 15.0L, 0.0L, 0.0L})
        EXPECT_EQ(read(), want);
    EXPECT_EQ(position, length());
    EXPECT_TRUE(gives_raising(read(), 0, 4));
}

TEST_F(DataRead, SingleTargetGetsTheExactSingle)
{
    use("2.6,3.1");
    EXPECT_EQ(static_cast<float>(read(SINGLE)), 2.6f);
    EXPECT_EQ(static_cast<float>(read(SINGLE)), 3.1f);
}

// Each row: the item, the target, and the error it raises (0: none) or the
// value it gives. After an error the position is back at the item.
TEST_F(DataRead, ErrorsLeaveThePositionAtTheItem)
{
    struct row {
        const char *item;
        uint32_t type;
        uint32_t error;
        long double value;
    } rows[] = {
        {"12x", DOUBLE, 2, 0},
        {" 5", DOUBLE, 2, 0},
        {"&Q1", DOUBLE, 2, 0},
        {"1E39", SINGLE, 6, 0},
        {"-1E39", SINGLE, 6, 0},
        {"1E39", DOUBLE, 0, static_cast<long double>(1E39)},
        {"1E309", DOUBLE, 6, 0},
        {"2.5", 16, 0, 2},
        {"3.5", 16, 0, 4},
        {"32767", 16, 0, 32767},
        {"32768", 16, 6, 0},
        {"&HFFFF", 16, 6, 0},
        {"65535", NUMERIC_TYPE_UNSIGNED | 16, 0, 65535},
        {"-1", NUMERIC_TYPE_UNSIGNED | 16, 6, 0},
        {"1E19", 63, 6, 0},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.item);
        use(std::string("0,") + r.item + ",7");
        read();
        EXPECT_EQ(read(r.type), r.value);
        EXPECT_EQ(error_pending_take(), r.error);
        if (r.error != 0) {
            EXPECT_EQ(position, 2);
            position = length() - 1;
        }
        EXPECT_EQ(read(), 7);
    }
}

TEST_F(DataRead, TooManyDigitsIsOverflow)
{
    use(std::string(257, '1'));
    EXPECT_TRUE(gives_raising(read(), 0, 6));
    EXPECT_EQ(position, 0);
}

TEST_F(DataRead, SixtyFourBitReads)
{
    use("-9223372036854775808,9223372036854775808,18446744073709551615,0.5");
    EXPECT_EQ(rt_read_int64(bytes(), &position, length()), INT64_MIN);
    EXPECT_TRUE(gives_raising(rt_read_int64(bytes(), &position, length()), 0, 6));
    position = 41;
    EXPECT_EQ(rt_read_uint64(bytes(), &position, length()), UINT64_MAX);
    EXPECT_EQ(rt_read_int64(bytes(), &position, length()), 1); // half away from zero
    EXPECT_TRUE(gives_raising(rt_read_uint64(bytes(), &position, length()), 0u, 4));
}

TEST_F(DataRead, NothingHappensWhileAnErrorIsPending)
{
    use("5");
    error_raise(9);
    EXPECT_EQ(read(), 0);
    EXPECT_TRUE(gives_raising(read_text(), "old", 9));
    EXPECT_EQ(position, 0);
}

TEST_F(DataRead, StringItems)
{
    use("abc,\"x,y\", d e ,,\"open");
    for (const char *want : {"abc", "x,y", " d e ", "", "open"})
        EXPECT_EQ(read_text(), want);
    EXPECT_TRUE(gives_raising(read_text(), "", 4));
}

TEST_F(DataRead, StringQuoteRules)
{
    use("a\"b\",\"q\"z,next");
    EXPECT_EQ(read_text(), "a\"b\""); // a quote after other characters is ordinary
    // Only the ending comma may follow a closing quote.
    EXPECT_TRUE(gives_raising(read_text(), "", 4));
    EXPECT_EQ(read_text(), "next");
}

} // namespace
