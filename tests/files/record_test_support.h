// Helpers of the GET/PUT, FIELD and LOCK tests: opening files by number and
// moving plain bytes through GET and PUT.
#pragma once

#include "files/file_test_support.h"

#include "files/byte_element.h"
#include "files/handle_table.h"
#include "files/open_close.h"

#include <cstdint>
#include <string>

class record_test : public file_test
{
  protected:
    void SetUp() override;
    // OPEN name FOR mode [ACCESS access] AS #number [LEN = len (0: none)];
    // fails the test on an error.
    void open_file(const std::string &name, int32_t mode, int32_t number = 1, int64_t len = 0,
                   int32_t access = 0);
    // PUT and GET of the bytes of a text; position 0 means none given.
    void put_text(int32_t number, int64_t position, const std::string &bytes);
    std::string get_text(int32_t number, int64_t position, size_t count);
    // The record of a bound file number and its position.
    os_handle_record &record_of(int32_t number);
    int64_t position_of(int32_t number) { return record_of(number).position; }
};

// A byte element over a text's bytes.
byte_element element_of(std::string &bytes);
