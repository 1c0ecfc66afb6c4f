// Helpers shared by the file-layer tests: a fixture that runs each test in an
// empty directory of its own with a fresh handle table, BASIC strings over
// test text, and whole-file reads and writes that bypass the runtime.
#pragma once

#include "support/gives_raising.h"
#include "support/test_support.h"

#include "core/strings.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

// A read-only BASIC string over a copy of text, alive as long as the object,
// as compiled programs pass literals.
class basic_text
{
  public:
    explicit basic_text(std::string text);
    basic_text(const basic_text &) = delete;
    basic_text &operator=(const basic_text &) = delete;
    string_descriptor *get() { return &descriptor_; }
    operator string_descriptor *() { return &descriptor_; }

  private:
    std::string bytes_;
    string_descriptor descriptor_{};
};

// A permanent string variable holding text, as a destination of assignments.
string_descriptor *basic_variable(const std::string &text);


bool file_exists_on_disk(const std::string &path);

// OPEN name FOR mode AS #number: the error it raised (0 for none).
uint32_t open_error(const std::string &name, int32_t mode, int32_t number = 1);
// LINE INPUT #number into a fresh variable: the line read, or "<error n>".
std::string line_input(int32_t number = 1);

// The record of open file #number. When the number is not open the test
// fails here and gets a blank record, so that a failed OPEN ends one row,
// not the whole suite.
struct os_handle_record;
os_handle_record &open_record(int32_t number);

// Runs body in a child process: the code it exits with (body's result, 0 for
// a body that returns nothing), or -1 when it did not exit.
template <typename F> int in_child_process(F body)
{
    pid_t pid = fork();
    if (pid == 0) {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            _exit(0);
        } else {
            _exit(body());
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Each test starts in a new empty directory with fresh string tables, no open
// files and no pending error, and leaves nothing behind.
class file_test : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string dir_;

  private:
    std::string previous_dir_;
};
