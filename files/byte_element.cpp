#include "files/byte_element.h"

#include "core/memory.h"

byte_element *byte_element_fill(uint64_t address, int32_t length, byte_element *storage)
{
    storage->address = address;
    storage->length = length < 0 ? 0 : length;
    return storage;
}

byte_element *byte_element_temp(uint64_t address, int32_t length)
{
    auto *storage = reinterpret_cast<byte_element *>(static_pool_alloc(sizeof(byte_element)));
    return byte_element_fill(address, length, storage);
}
