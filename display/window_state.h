// Words the program thread and the main thread share about the window.
#pragma once

#include <atomic>
#include <cstdint>

// 1: start-up waits for the program to ask for the window; no frames are built.
extern std::atomic<uint32_t> window_hidden;
// Raised by start-up (or later by the program) to have the window created.
extern std::atomic<uint32_t> window_create_request;
// Set once the window exists.
extern std::atomic<uint32_t> window_exists;
