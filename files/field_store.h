// Writing a FIELD-bound string back to its random-access record buffer after
// LSET or RSET.
#pragma once

#include "core/strings.h"

// Called by LSET and RSET after they have stored into s. Does nothing when s
// has no FIELD link. A linked string is copied into its piece of the record
// buffer by the random-access file layer that owns the link.
void field_string_store(string_descriptor *s);
