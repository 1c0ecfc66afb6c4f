// The configuration the audio library (OpenAL Soft) reads, with one default of
// our own: its PulseAudio back-end's "allow-moves" on. Without it the stream
// is made unmovable: the desktop's mixer cannot move it to another output,
// and when the output it plays on goes away (a headset unplugged) the server
// kills it instead of moving it, silent until the program starts again.
//
// The library reads its configuration once, at its first use, from several
// files in a fixed order (later keys win), the file named by ALSOFT_CONF last.
// We hand it one text instead: our default first, then the text of each of
// those files in the library's own order, so whatever the player's files set,
// allow-moves included, still decides exactly as before. The text lives in
// memory (a memfd), named by ALSOFT_CONF only while the library reads it;
// nothing is written to disk and ALSOFT_CONF is put back afterwards. The
// runtime's own copy of the environment (ENVIRON, started programs) never
// sees the change.
#pragma once

#include <string>
#include <vector>

// The environment entries that decide where the library looks (nullptr when
// unset).
struct audio_config_environment {
    const char *xdg_config_dirs = nullptr;
    const char *home = nullptr;
    const char *xdg_config_home = nullptr;
    const char *alsoft_conf = nullptr;
};

// The configuration files the library reads, in its order: the system file,
// each XDG_CONFIG_DIRS folder (the last listed first; /etc/xdg by default),
// the user's ~/.alsoftrc and alsoft.conf under XDG_CONFIG_HOME (or ~/.config),
// the file beside the program (program_dir, "" for none), then ALSOFT_CONF.
std::vector<std::string> audio_config_paths(const audio_config_environment &environment,
                                            const std::string &program_dir);

// Our default followed by each file's text, each one starting in the general
// section as a file of its own does.
std::string audio_config_text(const std::vector<std::string> &file_texts);

// Runs config_read, which must make the library read its configuration, with
// ALSOFT_CONF naming the combined text, then restores ALSOFT_CONF. Calls
// setenv: only while no other thread runs. When a file cannot be taken whole
// (not a regular file, over 1 MiB) or no memory file can be made, config_read runs
// with the environment as it is, and the library reads the files itself.
void audio_config_read_with_moves(void (*config_read)());
