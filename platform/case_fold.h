// Letter case of UTF-8 names as a case-blind file system (exFAT, FAT) sees
// it: each character folds by Unicode's simple case folding over the Basic
// Multilingual Plane (Ä meets ä, Д meets д, ẞ meets ß), so that two names are
// one name there exactly when they fold alike. Bytes that are not valid
// UTF-8 (a stray byte, an overlong form, a surrogate) stand for themselves
// and meet no character but themselves.
#pragma once

#include <string_view>

// True when a and b are the same name ignoring letter case.
bool case_fold_equal(std::string_view a, std::string_view b);

// Orders names ignoring letter case: negative, 0 or positive as a folded
// comes before, with or after b folded (character by character, a shorter
// name before any longer one it begins). 0 exactly when case_fold_equal.
int case_fold_compare(std::string_view a, std::string_view b);
