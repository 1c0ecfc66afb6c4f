#include "files/record_test_support.h"

#include "core/errors.h"
#include "core/memory.h"
#include "files/file_position.h"
#include "files/get_put.h"

#include <cstring>
#include <string>

namespace
{

using namespace std::string_literals;

class GetPut : public record_test
{
  protected:
    // PUT of a variable-length string.
    void put_string(int32_t number, int64_t position, const std::string &text)
    {
        std::string copy = text;
        byte_element e = element_of(copy);
        rt_put_string(number, position, &e, position != 0);
    }
    std::string get_string(int32_t number, int64_t position, string_descriptor *dest)
    {
        rt_get_string(number, position, dest, position != 0);
        return text_of(dest);
    }
};

TEST_F(GetPut, ElementsMoveAtRecordPositionsAndLeaveTheRecordBehind)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 128);
    put_text(1, 3, "ABCD");
    EXPECT_EQ(file_read_all("r"), std::string(256, '\0') + "ABCD");
    EXPECT_EQ(position_of(1), 384);
    EXPECT_EQ(get_text(1, 0, 4), "\0\0\0\0"s); // record 4 lies past the end
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(position_of(1), 384); // nothing moves after a short read
    EXPECT_EQ(get_text(1, 3, 4), "ABCD");
    EXPECT_EQ(position_of(1), 384);
    put_text(1, 0, "xy"); // the current position: record 4
    EXPECT_EQ(file_read_all("r").substr(384), "xy");
    EXPECT_EQ(position_of(1), 512);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(GetPut, BinaryReadsAtTheEndZeroFillAndSetEof)
{
    file_write_all("b", "abcdef");
    open_file("b", OPEN_MODE_BINARY);
    EXPECT_EQ(get_text(1, 5, 4), "ef\0\0"s);
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(get_text(1, 1, 2), "ab");
    EXPECT_EQ(rt_eof(1), 0);
    put_text(1, 0, "XY");
    EXPECT_EQ(file_read_all("b"), "abXYef");
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(GetPut, RefusalsLeaveTheFileUnchanged)
{
    const std::string before = "0123456789abcdef0123456789abcdef";
    file_write_all("r", before);
    file_write_all("b", before);
    open_file("r", OPEN_MODE_RANDOM, 1, 16);
    open_file("b", OPEN_MODE_BINARY, 2);
    open_file("i", OPEN_MODE_OUTPUT, 3);
    open_file("r", OPEN_MODE_INPUT, 4);
    open_file("b", OPEN_MODE_RANDOM, 5, 16, 2); // ACCESS READ
    const struct {
        int32_t number;
        int64_t position;
        std::string bytes;
        uint32_t error;
    } cases[] = {
        {1, 1, std::string(17, 'x'), 59},
        {1, -1, "x", 63},
        {1, INT64_MAX, "x", 63},
        {1, INT64_MAX / 16 + 1, "x", 63},
        {2, INT64_MAX, "xy", 63},
        {3, 1, "x", 54},
        {4, 1, "x", 54},
        {5, 1, "x", 75},
        {6, 1, "x", 52},
        {0, 1, "x", 52},
        {-2, 1, "x", 52},
        {FILE_NUMBER_LIMIT + 1, 1, "x", 52},
    };
    for (const auto &c : cases) {
        put_text(c.number, c.position, c.bytes);
        EXPECT_EQ(error_pending_take(), c.error) << c.number << " " << c.position;
    }
    std::string one = "x";
    byte_element e = element_of(one);
    rt_put(1, 0, &e, 1); // position 0 given
    EXPECT_EQ(error_pending_take(), 63u);
    // The string forms: a string and its prefix that need 17 bytes of 16.
    put_string(1, 1, std::string(15, 's'));
    EXPECT_EQ(error_pending_take(), 59u);
    put_string(1, 0x7fffffffffffffff, "s");
    EXPECT_EQ(error_pending_take(), 63u);
    EXPECT_EQ(file_read_all("r"), before);
    EXPECT_EQ(file_read_all("b"), before);
    EXPECT_TRUE(
        gives_raising(get_text(1, 1, 17), std::string(17, '?'), 59)); // too long for the record
    EXPECT_EQ(get_text(5, 0, 2), "01"); // reading is allowed there

    // Negative numbers are TCP/IP handles, none of which is open.
    char chars[2] = {};
    for (string_descriptor *dest : {basic_variable(""), string_over_memory(chars, 2, false)}) {
        rt_get_string(-2, 1, dest, 1);
        EXPECT_EQ(error_pending_take(), 52u);
    }
}

// (tests/e2e/records_test.sh compares the prefixes of strings of 0 to 65536
// bytes with an independent writer's.)
TEST_F(GetPut, StringRecordsPastTheEndAndCorruptPrefixes)
{
    file_write_all("s", "\5\0hello....."s                       // record 1: "hello"
                        "\xff\xff\xff\xff\xff\xff\xff\xff...."s // 2^63 - 1
                        "\x0b\0abcdefghij"s                     // 11 in 10
                        "\x00\x80\x01\0\0\0\0"s                 // 32768 at the end
    );
    open_file("s", OPEN_MODE_RANDOM, 1, 12);
    string_descriptor *dest = basic_variable("kept");
    EXPECT_EQ(get_string(1, 1, dest), "hello");
    for (int64_t record : {2, 3, 4}) {
        EXPECT_EQ(get_string(1, record, dest), "hello") << record;
        EXPECT_EQ(error_pending_take(), 59u);
        EXPECT_EQ(position_of(1), (record - 1) * 12); // back at the record's start
    }
    EXPECT_EQ(get_string(1, 9, dest), ""); // wholly past the end
    EXPECT_EQ(error_pending_take(), 0u);

    // A long prefix needs a record of 8 bytes or more; a record needs 2.
    string_set(dest, string_from_cstr("kept"));
    file_write_all("t", "\x00\x80\0\0\0\0\0"s);
    open_file("t", OPEN_MODE_RANDOM, 2, 7);
    get_string(2, 1, dest);
    EXPECT_EQ(error_pending_take(), 59u);
    open_file("t", OPEN_MODE_RANDOM, 3, 1);
    get_string(3, 1, dest);
    EXPECT_EQ(error_pending_take(), 59u);
    EXPECT_EQ(text_of(dest), "kept");
}

TEST_F(GetPut, BinaryStringsMoveTheirOwnCharacters)
{
    file_write_all("b", "abcdef");
    open_file("b", OPEN_MODE_BINARY);
    string_descriptor *dest = basic_variable("");
    EXPECT_EQ(get_string(1, 3, dest), ""); // length 0 reads nothing
    EXPECT_EQ(position_of(1), 2);
    basic_text literal("123"); // characters that belong to someone else
    EXPECT_EQ(get_string(1, 2, literal), "bcd");
    EXPECT_EQ(text_of(literal), "bcd");
    EXPECT_EQ(literal.get()->readonly, 0);
    put_string(1, 6, "XYZ");
    EXPECT_EQ(file_read_all("b"), "abcdeXYZ");
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(GetPut, MixedVariablesRoundTripThroughABinaryFile)
{
    open_file("mix.bin", OPEN_MODE_BINARY);
    int16_t i16 = -2;
    int32_t i32 = 100000;
    float f = 1.5f;
    double d = -0.25;
    char fixed[6] = {'A', 'B', 'C', ' ', ' ', ' '};
    const std::pair<void *, int32_t> vars[] = {{&i16, 2}, {&i32, 4}, {&f, 4}, {&d, 8}, {fixed, 6}};
    byte_element e{};
    for (auto [address, length] : vars)
        rt_put(1, 0, byte_element_fill(uintptr_t(address), length, &e), 0);
    put_string(1, 0, "hello");
    EXPECT_EQ(rt_lof(1), 29);
    EXPECT_EQ(rt_loc(1), 29);
    EXPECT_EQ(rt_seek_function(1), 30);

    rt_seek(1, 1);
    for (auto [address, length] : vars) {
        std::string bytes = get_text(1, 0, size_t(length));
        EXPECT_EQ(std::memcmp(bytes.data(), address, bytes.size()), 0) << length;
    }
    EXPECT_EQ(get_string(1, 0, basic_variable("12345")), "hello");
    EXPECT_EQ(rt_eof(1), 0);
    EXPECT_EQ(get_text(1, 0, 2), "\0\0"s); // one more is past the end
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(rt_loc(1), 29);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(GetPut, RawTransfersAtBytePositions)
{
    open_file("w", OPEN_MODE_OUTPUT, 1);
    EXPECT_EQ(file_write_at(1, 4, "data", 4), 0);
    EXPECT_EQ(file_write_at(1, -1, "!", 1), 0);
    EXPECT_EQ(file_read_all("w"), "\0\0\0\0data!"s);
    char buffer[4] = {};
    file_read_at(1, 0, buffer, 4);
    EXPECT_EQ(error_pending_take(), 75u);
    file_read_at(2, 0, buffer, 4);
    EXPECT_EQ(error_pending_take(), 52u);
    open_file("w", OPEN_MODE_INPUT, 2);
    file_read_at(2, 4, buffer, 4);
    EXPECT_EQ(std::string(buffer, 4), "data");
    file_read_at(2, -5, buffer, 4);
    EXPECT_EQ(error_pending_take(), 5u);
}

TEST_F(GetPut, PendingErrorsStopEveryForm)
{
    file_write_all("r", "");
    open_file("r", OPEN_MODE_RANDOM, 1, 16);
    error_raise(6);
    put_text(1, 1, "x");
    put_string(1, 1, "x");
    rt_put_record(1, 1, 1);
    file_write_at(1, 0, "x", 1);
    EXPECT_EQ(error_pending_take(), 6u);
    EXPECT_EQ(file_read_all("r"), "");
}

TEST_F(GetPut, PoolElementsClampNegativeLengths)
{
    static_pool_init(64);
    uint8_t *mark = static_pool_mark();
    byte_element *e = byte_element_temp(1234, -5);
    EXPECT_EQ(e->address, 1234u);
    EXPECT_EQ(e->length, 0);
    EXPECT_EQ(byte_element_temp(1, 7)->length, 7);
    static_pool_restore(mark);
    EXPECT_EQ(byte_element_temp(0, 0), e); // the pool gave it back
}

} // namespace
