#include "files/field_strings.h"

#include "core/strings.h"

void field_string_detach(string_descriptor *d) {
    d->field = nullptr;
}
