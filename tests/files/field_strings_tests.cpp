#include "files/record_test_support.h"

#include "core/errors.h"
#include "core/string_builtins.h"
#include "files/field_store.h"
#include "files/field_strings.h"
#include "files/file_position.h"
#include "files/get_put.h"

#include <string>
#include <vector>

namespace
{

using namespace std::string_literals;

class Field : public record_test
{
  protected:
    // FIELD #number, w1 AS s1, w2 AS s2, ...; the error it raised.
    uint32_t field(int32_t number, std::vector<std::pair<int64_t, string_descriptor *>> parts)
    {
        rt_field_begin(number);
        for (auto [width, s] : parts)
            rt_field_add(s, width);
        return error_pending_take();
    }
    void lset(string_descriptor *s, const char *text) { rt_lset(s, string_from_cstr(text)); }
    void rset(string_descriptor *s, const char *text) { rt_rset(s, string_from_cstr(text)); }
    std::string buffer(int32_t number, size_t count)
    {
        return std::string(reinterpret_cast<char *>(record_of(number).record_buffer), count);
    }
};

TEST_F(Field, PiecesMirrorTheBufferAndAnOverflowSkipsTheRest)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 128);
    string_descriptor *a = basic_variable("x"), *b = basic_variable(""), *c = basic_variable("");
    string_descriptor *d = basic_variable("not fielded");
    EXPECT_EQ(field(1, {{20, a}, {10, b}, {100, c}, {5, d}}), 50u);
    EXPECT_EQ(text_of(a), std::string(20, '\0'));
    EXPECT_EQ(b->len, 10);
    EXPECT_EQ(c->field, nullptr);
    EXPECT_EQ(text_of(d), "not fielded");
    EXPECT_EQ(record_of(1).field_string_count, 2);

    lset(a, "AB");
    EXPECT_EQ(buffer(1, 22), "AB"s + std::string(18, ' ') + "\0\0"s);
    rt_put_record(1, 5, 1);
    EXPECT_EQ(file_read_all("r").substr(512, 20), "AB" + std::string(18, ' '));
    EXPECT_EQ(file_read_all("r").size(), 640u);
    EXPECT_EQ(position_of(1), 640);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(Field, StatementsOverTheSameBytesSeeEachOther)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 16);
    string_descriptor *whole = basic_variable(""), *left = basic_variable("");
    string_descriptor *right = basic_variable(""), *none = basic_variable("");
    ASSERT_EQ(field(1, {{10, whole}}), 0u);
    ASSERT_EQ(field(1, {{5, left}, {5, right}, {0, none}}), 0u);
    lset(whole, "HELLOWORLD");
    EXPECT_EQ(text_of(left), "HELLO");
    EXPECT_EQ(text_of(right), "WORLD");
    rset(right, "AB"); // pads on the left
    EXPECT_EQ(text_of(whole), "HELLO   AB");
    lset(left, "LONGER THAN FIVE");
    EXPECT_EQ(text_of(whole), "LONGE   AB");
    EXPECT_EQ(text_of(none), "");
    EXPECT_EQ(buffer(1, 11), "LONGE   AB\0"s);
}

TEST_F(Field, RecordGetFillsThePiecesAndZeroesPastTheEnd)
{
    file_write_all("r", "0123456789abcdefXYZ");
    open_file("r", OPEN_MODE_RANDOM, 1, 16);
    string_descriptor *a = basic_variable(""), *b = basic_variable("");
    ASSERT_EQ(field(1, {{4, a}, {12, b}}), 0u);
    rt_get_record(1, 1, 1);
    EXPECT_EQ(text_of(a) + text_of(b), "0123456789abcdef");
    rt_get_record(1, 0, 0); // the next record, mostly past the end
    EXPECT_EQ(text_of(a), "XYZ\0"s);
    EXPECT_EQ(text_of(b), std::string(12, '\0'));
    EXPECT_EQ(position_of(1), 19);
    rt_get_record(1, 0, 1);
    EXPECT_EQ(error_pending_take(), 63u);
}

// An address book as a ported program keeps it: PUT in a loop, GET by record
// number and in sequence, the queries after each, CLOSE and OPEN again.
TEST_F(Field, AnAddressBookSurvivesCloseAndReopen)
{
    string_descriptor *name = basic_variable(""), *phone = basic_variable("");
    string_descriptor *zip = basic_variable("");
    auto open_book = [&] {
        open_file("addr.dat", OPEN_MODE_RANDOM, 1, 40);
        ASSERT_EQ(field(1, {{20, name}, {15, phone}, {5, zip}}), 0u);
    };
    open_book();
    const char *names[] = {"Ann", "Bob", "Cyd"}, *phones[] = {"555-0100", "555-0101", "555-0102"};
    for (int i = 0; i < 3; ++i) {
        lset(name, names[i]);
        lset(phone, phones[i]);
        rset(zip, std::to_string(100 * (i + 1)).c_str());
        rt_put_record(1, i + 1, 1);
        EXPECT_EQ(rt_lof(1), 40 * (i + 1));
        EXPECT_EQ(rt_loc(1), i + 2); // the record the next GET or PUT would use
        EXPECT_EQ(rt_eof(1), 0);
    }
    rt_get_record(1, 2, 1);
    EXPECT_EQ(text_of(name) + text_of(phone) + text_of(zip),
              "Bob" + std::string(17, ' ') + "555-0101       " + "  200");
    rt_get_record(1, 0, 0);
    EXPECT_EQ(text_of(zip), "  300");
    EXPECT_EQ(rt_eof(1), 0);
    rt_get_record(1, 0, 0); // past the last record
    EXPECT_EQ(rt_eof(1), -1);
    EXPECT_EQ(text_of(name), std::string(20, '\0'));
    rt_seek(1, 1);
    rt_get_record(1, 0, 0);
    EXPECT_EQ(rt_eof(1), 0);
    lset(phone, "555-0199"); // change record 1 in place
    rt_put_record(1, 1, 1);
    rt_close(1, 1);

    open_book();
    EXPECT_EQ(rt_lof(1) / 40, 3);
    EXPECT_EQ(rt_loc(1), 1);
    rt_get_record(1, 1, 1);
    EXPECT_EQ(text_of(name).substr(0, 3) + text_of(phone).substr(0, 8) + text_of(zip),
              "Ann555-0199  100");
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(Field, ClosedAndReopenedFilesLeaveOrdinaryStrings)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 16);
    string_descriptor *a = basic_variable(""), *b = basic_variable("");
    ASSERT_EQ(field(1, {{8, a}, {8, b}}), 0u);
    rt_close(1, 1);
    lset(a, "after");
    EXPECT_EQ(a->field, nullptr);
    EXPECT_EQ(text_of(a), "after   ");

    open_file("r", OPEN_MODE_RANDOM, 1, 16); // the same number, a new open
    lset(b, "new");
    EXPECT_EQ(b->field, nullptr);
    EXPECT_EQ(buffer(1, 16), std::string(16, '\0'));
    EXPECT_EQ(record_of(1).field_string_count, 0);
}

TEST_F(Field, FreedStringsLeaveTheList)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 8);
    string_descriptor *a = basic_variable(""), *b = basic_variable("");
    ASSERT_EQ(field(1, {{4, a}, {4, b}}), 0u);
    string_free(a);
    ASSERT_EQ(record_of(1).field_string_count, 1);
    EXPECT_EQ(record_of(1).field_strings[0], b);
    ASSERT_EQ(field(1, {{2, b}}), 0u); // fielding again replaces the link
    EXPECT_EQ(record_of(1).field_string_count, 1);
    EXPECT_EQ(b->len, 2);
    rt_get_record(1, 1, 1);
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(Field, StringsNeverWriteOutsideTheirOwnBytes)
{
    file_write_all("r", "abcdefgh");
    open_file("r", OPEN_MODE_RANDOM, 1, 8);
    char fixed_bytes[4] = {'f', 'i', 'x', 'd'};
    string_descriptor *fixed = string_over_memory(fixed_bytes, 4, false);
    EXPECT_EQ(field(1, {{4, fixed}}), 5u);
    EXPECT_EQ(fixed->field, nullptr);

    basic_text literal("lit"); // characters owned by the caller
    string_descriptor *dos = string_new_dos(2, false);
    ASSERT_EQ(field(1, {{8, literal}, {0, dos}}), 0u);
    ASSERT_EQ(field(1, {{6, dos}}), 0u);
    rt_get_record(1, 1, 1);
    EXPECT_EQ(text_of(literal), "abcdefgh");
    EXPECT_EQ(literal.get()->readonly, 0);
    EXPECT_EQ(text_of(dos), "abcdef");
    EXPECT_EQ(dos->in_dos, 1);
    field_string_detach(literal);
}

TEST_F(Field, BadStatementsAreRefused)
{
    open_file("b", OPEN_MODE_BINARY, 1);
    open_file("r", OPEN_MODE_RANDOM, 2, 8);
    string_descriptor *s = basic_variable("");
    const struct {
        int32_t number;
        int64_t width;
        uint32_t error;
    } cases[] = {{1, 1, 54}, {0, 1, 52}, {3, 1, 52}, {-1, 1, 54}, {2, -1, 5}, {2, 9, 50}};
    for (const auto &c : cases) {
        EXPECT_EQ(field(c.number, {{c.width, s}}), c.error) << c.number << " " << c.width;
        EXPECT_EQ(s->field, nullptr);
    }
    rt_field_add(s, 1); // no statement in progress after a failure
    EXPECT_EQ(s->field, nullptr);
    for (auto [number, error] : {std::pair{-1, 54u}, {0, 52u}, {1, 54u}}) {
        rt_get_record(number, 1, 1);
        EXPECT_EQ(error_pending_take(), error) << number;
    }
}

TEST_F(Field, ManyPiecesGrowTheList)
{
    open_file("r", OPEN_MODE_RANDOM, 1, 1000);
    std::vector<string_descriptor *> pieces;
    rt_field_begin(1);
    for (int i = 0; i < 1000; ++i) {
        pieces.push_back(basic_variable(""));
        rt_field_add(pieces.back(), 1);
    }
    EXPECT_EQ(record_of(1).field_string_count, 1000);
    lset(pieces[999], "z");
    EXPECT_EQ(record_of(1).record_buffer[999], 'z');
    EXPECT_EQ(error_pending_take(), 0u);
}

TEST_F(Field, AnInconsistentRefreshEndsTheProcess)
{
    open_file("b", OPEN_MODE_BINARY, 1);
    open_file("r", OPEN_MODE_RANDOM, 2, 8);
    EXPECT_EXIT(field_strings_refresh(-1), testing::ExitedWithCode(7701 & 255), "");
    EXPECT_EXIT(field_strings_refresh(3), testing::ExitedWithCode(7702 & 255), "");
    EXPECT_EXIT(field_strings_refresh(1), testing::ExitedWithCode(7703 & 255), "");
}

} // namespace
