// Indexed lists: the runtime's handle tables.
//
// Records of one fixed size, addressed by 1-based indices that are handed to
// the program as handles and reused after removal, most recently freed first.
// Records never move once made, so a pointer to a record stays valid for the
// life of the list. A locked list (list_new_locked) may be shared by the
// program thread and the main thread: list_add and list_remove take its
// mutexes, list_get and list_index_of take none.
//
// Each record is the user data, then a 32-bit trailer holding the record's own
// index (0 while the record is free). Records start on 8-byte boundaries.
#pragma once

#include <cstdint>

struct indexed_list;
struct mutex_cell;

// A new empty list of records of element_size bytes. A list that cannot be
// allocated shows the allocation-failure boxes and ends the process, like
// list_add.
indexed_list *list_new(uint32_t element_size);
indexed_list *list_new_locked(uint32_t element_size);

// The index of a new zero-filled record: the most recently freed index, else
// one above the highest index. When memory for the list runs out, shows two
// "Alert" boxes (the failure text, then the record stride) and ends the
// process with exit code 0.
int32_t list_add(indexed_list *list);

// -1 when the record was removed; 0 when the index is below 1, above the
// highest index, or already free.
int32_t list_remove(indexed_list *list, int32_t index);

// The record, or null when the index is below 1, above the highest index, or
// free. Takes no lock: safe against a concurrent list_add or list_remove.
void *list_get(indexed_list *list, int32_t index);

// The index kept in the record's trailer (0 for a free record or null).
int32_t list_index_of(indexed_list *list, const void *record);

// The highest index handed out so far (loops over a list run from 1 to it,
// skipping free indices).
int32_t list_highest_index(const indexed_list *list);

// Releases the list with its records, tables and mutexes. Null does nothing.
void list_free(indexed_list *list);

// Mutex cells: null cells are accepted everywhere and do nothing.
mutex_cell *mutex_new();
void mutex_lock(mutex_cell *cell);
void mutex_unlock(mutex_cell *cell);
void mutex_free(mutex_cell *cell);
void mutex_free_noop();
