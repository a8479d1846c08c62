// Event script recording and playback, as the wait loop and the Run menu use them.
#pragma once

#include "zavok_ids.h"

#include <cstdint>
#include <cstdio>

constexpr const char *SCRIPT_FILE_NAME = ZAVOK_SCRIPT_FILE;

extern FILE *script_file;  // the one open script stream, for writing or for reading
extern bool script_recording;
extern bool script_playing;
extern bool script_play_one;
extern int32_t periodic_count;  // run of periodic events not yet written / still to be played

// Appends the line of one event; a periodic event writes the run held in periodic_count.
void script_write_event(int kind, int x, int y, char key);
// Supplies the next event from the script into pending_event and its fields; 1 if it did.
int script_play_next();
// Starts a recording (flag, the menu's check mark); the file is opened by the first line.
void script_start_recording();
// Ends a recording: writes the run of periodic events still counted, then closes the stream.
void script_stop_recording();
// Ends playback (both flags, the menu's check mark); the stream stays open.
void script_stop_playback();
// Closes the script stream, if one is open, so the next use opens the file afresh.
void script_close();
