#include "files/field_strings.h"

#include "core/errors.h"
#include "core/strings.h"
#include "files/file_bytes.h"
#include "files/handle_table.h"
#include "platform/process_exit.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace
{

// The FIELD statement in progress.
struct field_statement {
    bool failed = true; // no statement has begun, or a part of it failed
    int32_t file_number = 0;
    int64_t offset = 0; // where the next piece begins
};

field_statement statement;

constexpr int32_t FIELD_LIST_FIRST_CAPACITY = 8;

// The record of a RANDOM file bound to number; null when there is none.
os_handle_record *random_record(int32_t number)
{
    if (file_number_in_use(number) != 1)
        return nullptr;
    os_handle_record *r = os_handle_at(file_number_handle(number));
    return r->mode == FILE_MODE_RANDOM ? r : nullptr;
}

// The error a part of FIELD raises before it changes anything, or 0.
int32_t field_part_error(const string_descriptor *dest, int64_t width)
{
    if (width < 0 || dest->fixed)
        return 5;
    if (file_number_in_use(statement.file_number) != 1)
        return 52;
    const os_handle_record *r = random_record(statement.file_number);
    if (!r)
        return 54;
    if (width > r->record_length - statement.offset)
        return 50;
    return 0;
}

// Room for one more entry in the record's list, doubling it when full.
bool field_list_reserve(os_handle_record &r)
{
    if (r.field_strings && r.field_string_count < r.field_string_capacity)
        return true;
    int64_t capacity =
        r.field_strings ? int64_t(r.field_string_capacity) * 2 : FIELD_LIST_FIRST_CAPACITY;
    if (capacity > INT32_MAX)
        return false;
    void *grown = std::realloc(r.field_strings, size_t(capacity) * sizeof(string_descriptor *));
    if (!grown)
        return false;
    r.field_strings = static_cast<string_descriptor **>(grown);
    r.field_string_capacity = int32_t(capacity);
    return true;
}

// Gives s exactly width characters of its own, so that the refresh writes
// only inside s's own bytes.
void field_string_fit(string_descriptor *s, int64_t width)
{
    if (s->len != width || s->readonly)
        string_set(s, string_new(int32_t(width), true));
}

} // namespace

os_handle_record *field_link_record(const field_link *link)
{
    os_handle_record *r = random_record(link->file_number);
    return r && r->serial == link->open_serial ? r : nullptr;
}

int32_t rt_field_begin(int32_t number)
{
    statement.failed = true;
    if (error_pending)
        return 0;
    int32_t error = 0;
    if (number < 0)
        error = 54;
    else if (file_number_in_use(number) != 1)
        error = 52;
    else if (!random_record(number))
        error = 54;
    if (error != 0) {
        error_raise(error);
        return 0;
    }
    statement = {false, number, 0};
    return 0;
}

int32_t rt_field_add(string_descriptor *dest, int64_t width)
{
    if (statement.failed)
        return 0;
    statement.failed = true;
    if (error_pending)
        return 0;
    if (int32_t error = field_part_error(dest, width); error != 0) {
        error_raise(error);
        return 0;
    }
    if (dest->field)
        field_string_detach(dest);
    os_handle_record &r = *random_record(statement.file_number);
    auto *link =
        new (std::nothrow) field_link{statement.file_number, r.serial, width, statement.offset};
    if (!link || !field_list_reserve(r)) {
        delete link;
        error_raise(7);
        return 0;
    }
    r.field_strings[r.field_string_count++] = dest;
    dest->field = link;
    field_strings_refresh(statement.file_number);
    statement.offset += width;
    statement.failed = false;
    return 0;
}

void field_strings_refresh(int32_t number)
{
    if (number < 0)
        process_exit(7701);
    if (file_number_in_use(number) != 1)
        process_exit(7702);
    os_handle_record *r = random_record(number);
    if (!r)
        process_exit(7703);
    for (int32_t i = 0; i < r->field_string_count; ++i) {
        string_descriptor *s = r->field_strings[i];
        if (!s || !s->field)
            process_exit(7704);
        const auto *link = static_cast<const field_link *>(s->field);
        field_string_fit(s, link->width);
        if (link->width > 0)
            std::memcpy(s->chr, r->record_buffer + link->offset, size_t(link->width));
    }
}

void field_string_detach(string_descriptor *d)
{
    auto *link = static_cast<field_link *>(d->field);
    if (!link)
        return;
    if (os_handle_record *r = field_link_record(link)) {
        for (int32_t i = 0; i < r->field_string_count; ++i) {
            if (r->field_strings[i] != d)
                continue;
            std::memmove(r->field_strings + i, r->field_strings + i + 1,
                         size_t(r->field_string_count - i - 1) * sizeof(string_descriptor *));
            --r->field_string_count;
            break;
        }
    }
    delete link;
    d->field = nullptr;
}

void field_state_reset()
{
    statement = field_statement{};
}
