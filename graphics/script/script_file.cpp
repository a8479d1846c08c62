// PLACEHOLDER until script recording and playback land.
#include "zavok.h"

#include "script_internal.h"

FILE *script_file = nullptr;
bool script_recording = false;
bool script_playing = false;
bool script_play_one = false;
int32_t periodic_count = 0;

void script_write_event(int, int, int, char) {}
int script_play_next() { return 0; }
void script_stop_playback() {
    script_playing = false;
    script_play_one = false;
}
void script_close() {}
