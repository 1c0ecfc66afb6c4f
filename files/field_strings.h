// FIELD links: strings that mirror a piece of a random-access file's record
// buffer.
#pragma once

struct string_descriptor;

// Ends the FIELD link of a string that is being freed and clears its field
// pointer.
void field_string_detach(string_descriptor *d);
