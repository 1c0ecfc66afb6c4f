// Letter case of UTF-8 names as a case-blind exFAT volume sees it: each
// character of the Basic Multilingual Plane up-cases by the up-case table an
// exFAT formatter writes, and two names are one name exactly when their
// characters up-case alike (Ä meets ä and Д meets д, but ſ stays apart from s
// and the Kelvin sign from k, as that table leaves them). Characters beyond
// that plane meet only themselves. Bytes that are not valid UTF-8 (a stray
// byte, an overlong form, a surrogate) stand for themselves and meet no
// character but themselves.
#pragma once

#include <string_view>

// True when a and b are the same name ignoring letter case.
bool case_fold_equal(std::string_view a, std::string_view b);

// Orders names ignoring letter case: negative, 0 or positive as a, up-cased,
// comes before, with or after b, up-cased (character by character, a shorter
// name before any longer one it begins). 0 exactly when case_fold_equal.
int case_fold_compare(std::string_view a, std::string_view b);
