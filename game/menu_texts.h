// The texts of the animal menu: the name lines, the help lines of every entry
// and the credits.
#pragma once

#include <span>

// Row 7: the four friends' names over their faces (55 characters).
extern const char *const menu_names_line;
// Row 17: BADGER on the left, QUIT on the right (64 characters).
extern const char *const menu_badger_quit_line;
// Row 20 (40 characters).
extern const char *const menu_choose_line;

// Help lines, printed with a bullet in front.
extern const char *const badger_help_seen;     // first line once the ending was seen
extern const char *const badger_help_not_seen; // first line before
extern const std::span<const char *const> badger_help;
extern const char *const badger_help_bonus; // last line once the ending was seen
extern const std::span<const char *const> tarvo_help;
extern const std::span<const char *const> echidna_help;
extern const std::span<const char *const> pig_help;
extern const std::span<const char *const> fox_help;
extern const std::span<const char *const> quit_help;

// The ten credit lines, each 64 characters.
constexpr int CREDIT_LINES = 10;
extern const char *const credit_lines[CREDIT_LINES];
