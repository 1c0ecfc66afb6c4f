// Indexed lists: the runtime's handle tables.
//
// Records of one fixed size, addressed by 1-based indices that are handed to
// the program as handles and reused after removal, most recently freed first.
// Records never move once made, so a pointer to a record stays valid for the
// life of the list. A locked list (list_new_locked) may be shared by the
// program thread and the main thread: list_add and list_remove take its
// mutexes, list_get and list_index_of take none.
#pragma once

#include <cstdint>

struct indexed_list;
struct mutex_cell;

indexed_list *list_new(uint32_t element_size);
indexed_list *list_new_locked(uint32_t element_size);
int32_t list_add(indexed_list *list);
int32_t list_remove(indexed_list *list, int32_t index);
void *list_get(indexed_list *list, int32_t index);
int32_t list_index_of(indexed_list *list, const void *record);
int32_t list_highest_index(const indexed_list *list);
void list_free(indexed_list *list);

mutex_cell *mutex_new();
void mutex_lock(mutex_cell *cell);
void mutex_unlock(mutex_cell *cell);
void mutex_free_noop();
