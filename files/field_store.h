// Writing a FIELD-bound string back to its random-access record buffer after
// LSET or RSET.
#pragma once

#include "core/strings.h"

// Called by LSET and RSET after they have stored into s. Does nothing when s
// has no FIELD link. A linked string is copied into its piece of the record
// buffer (blanks after a shorter value) and every fielded string of the record
// is refreshed; when its file has been closed or reopened since FIELD, the
// link ends instead and no buffer is touched.
void field_string_store(string_descriptor *s);
