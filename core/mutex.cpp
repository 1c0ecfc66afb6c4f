// Mutex cells: the only kernel-backed locks of the runtime, used by the lists
// that the program thread and the main thread share.
#include "core/lists.h"

#include <mutex>
#include <new>

struct mutex_cell {
    std::mutex mutex;
};

mutex_cell *mutex_new() { return new (std::nothrow) mutex_cell; }

void mutex_lock(mutex_cell *cell)
{
    if (cell)
        cell->mutex.lock();
}

void mutex_unlock(mutex_cell *cell)
{
    if (cell)
        cell->mutex.unlock();
}

void mutex_free(mutex_cell *cell) { delete cell; }

void mutex_free_noop() {}
