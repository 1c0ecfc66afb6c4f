// FIELD: strings that mirror pieces of a RANDOM file's record buffer.
//
// A FIELD statement is rt_field_begin followed by rt_field_add for each
// "width AS variable" from left to right. Each fielded string gets a
// field_link (its field pointer) and a place in its record's fielded-string
// list; its length is the piece's width and its characters are a copy of the
// piece. LSET and RSET write through to the buffer (field_string_store), a
// record GET refreshes every fielded string, and freeing a string takes it off
// its record's list (field_string_detach). A link whose file was closed or
// reopened since FIELD is stale: the next store or detach turns the string
// into an ordinary one and touches no buffer.
//
// Program thread only.
#pragma once

#include <cstdint>

struct os_handle_record;
struct string_descriptor;

// What a fielded string's field pointer holds.
struct field_link {
    int32_t file_number;
    int64_t open_serial; // the record's serial at FIELD time
    int64_t width;       // bytes of the piece
    int64_t offset;      // start of the piece in the record, from 0
};

// FIELD #number: starts a statement. A negative number or a file not in
// RANDOM mode raises 54, an unbound one 52. The result is always 0.
int32_t rt_field_begin(int32_t number);

// One "width AS dest" of the statement in progress. Does nothing once the
// statement has failed (or none has begun). A negative width or a
// fixed-length dest raises 5, a piece past the record's end 50, a list that
// cannot grow 7; each failure skips the statement's remaining parts. The
// result is always 0.
int32_t rt_field_add(string_descriptor *dest, int64_t width);

// Copies the record buffer into every fielded string of the file, giving each
// the length of its piece (a string whose characters belong to someone else
// first gets its own). Ends the process with exit code 7701 to 7704 when the
// number is negative, unbound, not RANDOM, or the list has an empty entry;
// callers check the first three beforehand.
void field_strings_refresh(int32_t number);

// Ends the field link of a string (string_free calls it before freeing one)
// and clears its field pointer.
void field_string_detach(string_descriptor *d);

// The open record a link still mirrors (its file number bound to a RANDOM
// file of the same open serial), or null when the link is stale.
os_handle_record *field_link_record(const field_link *link);

// Forgets the statement in progress, as at start-up (tests).
void field_state_reset();
