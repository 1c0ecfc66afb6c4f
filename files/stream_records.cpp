#include "files/stream_records.h"

#include <cstdlib>

indexed_list *stream_record_list = nullptr;

void stream_record_list_create()
{
    list_free(stream_record_list);
    stream_record_list = list_new(sizeof(stream_record));
}

void stream_record_free(stream_record *record)
{
    if (!record)
        return;
    if (record->capacity != 0)
        std::free(record->data);
    record->data = nullptr;
    record->capacity = 0;
    list_remove(stream_record_list, list_index_of(stream_record_list, record));
}
