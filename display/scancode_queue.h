// The keyboard scan-code queue behind port &H60.
//
// The key handlers (one producer at a time, normally the main thread) push
// make codes (the scan code) and break codes (scan code + 128); the program
// thread takes them through INP(&H60). A fixed ring of 256 bytes: when it is
// full the oldest byte is dropped. Taking from an empty queue returns the byte
// taken last again (0x81 before any key), so a program that polls the port
// sees the last key event until the next one arrives.
#pragma once

#include <cstdint>

constexpr uint32_t SCANCODE_QUEUE_CAPACITY = 256;
constexpr uint8_t SCANCODE_QUEUE_FIRST_BYTE = 0x81;

// Empties the queue and makes 0x81 the byte an empty queue returns. Start-up
// and tests only: no other thread may use the queue meanwhile.
void scancode_queue_reset();

// Producer: queues a byte. A byte equal to the one pushed last is not queued
// again (a held key's auto-repeat queues its make code once). When the queue
// is full the oldest byte is dropped.
void scancode_queue_push(uint8_t code);

// Consumer: the oldest queued byte, removed; with the queue empty the byte
// returned last.
uint8_t scancode_queue_take();

// Consumer: drops every queued byte; the byte returned last stays.
void scancode_queue_clear();
