// Helpers every test folder uses: a runtime string as text, and whole files
// read and written as bytes.
#pragma once

#include "core/strings.h"

#include <string>

std::string text_of(const string_descriptor *s);
std::string file_read_all(const std::string &path);
void file_write_all(const std::string &path, const std::string &bytes);
