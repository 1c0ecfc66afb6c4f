#include "files/record_test_support.h"

#include "core/errors.h"
#include "files/field_strings.h"
#include "files/get_put.h"

void record_test::SetUp()
{
    file_test::SetUp();
    field_state_reset();
}

void record_test::open_file(const std::string &name, int32_t mode, int32_t number, int64_t len,
                            int32_t access)
{
    basic_text text(name);
    rt_open(text, mode, access, 0, number, len, len != 0);
    ASSERT_EQ(error_pending_take(), 0u) << name;
}

void record_test::put_text(int32_t number, int64_t position, const std::string &bytes)
{
    std::string copy = bytes;
    byte_element e = element_of(copy);
    rt_put(number, position, &e, position != 0);
}

std::string record_test::get_text(int32_t number, int64_t position, size_t count)
{
    std::string bytes(count, '?');
    byte_element e = element_of(bytes);
    rt_get(number, position, &e, position != 0);
    return bytes;
}

os_handle_record &record_test::record_of(int32_t number)
{
    return open_record(number);
}

byte_element element_of(std::string &bytes)
{
    byte_element e{};
    byte_element_fill(reinterpret_cast<uintptr_t>(bytes.data()), int32_t(bytes.size()), &e);
    return e;
}
