// Recording events to the script file and playing them back from it.
#include "zavok.h"

#include "../window/window_internal.h"
#include "script_internal.h"
#include "script_line.h"
#include "script_play.h"

#include <share.h>

static_assert(int{SCRIPT_LINE_MOUSE} == int{ZAVOK_MOUSE} && int{SCRIPT_LINE_KBD} == int{ZAVOK_KBD} &&
                  int{SCRIPT_LINE_PERIODIC} == int{ZAVOK_PERIODIC},
              "a script line's kind is the kind of the event it stands for");

FILE *script_file = nullptr;
bool script_recording = false;
bool script_playing = false;
bool script_play_one = false;
int32_t periodic_count = 0;

namespace {

// The direction the open stream serves. Recording and playback share the one stream; each
// side uses it only when it was opened for that side, so playback never parses a line of a
// stream it could not read and recording never writes into a stream opened for reading.
enum class ScriptDirection { none, writing, reading };
ScriptDirection script_direction = ScriptDirection::none;

bool open_script(ScriptDirection direction) {
    // A recording denies other writers while it holds the file: a second program recording
    // in the same folder cannot open it (and says so at each event) instead of writing over
    // this recording's lines at an offset of its own. Readers (playback elsewhere) still can.
    script_file = direction == ScriptDirection::writing ? _fsopen(SCRIPT_FILE_NAME, "wt", _SH_DENYWR)
                                                         : std::fopen(SCRIPT_FILE_NAME, "rt");
    if (script_file == nullptr) return false;
    script_direction = direction;
    return true;
}

void report_write_failure() { ZAVOK_printf("Cannot write script file %s\n", SCRIPT_FILE_NAME); }

}  // namespace

void script_write_event(int kind, int x, int y, char key) {
    if (script_file == nullptr && !open_script(ScriptDirection::writing)) {
        ZAVOK_printf("Cannot open script file %s for writing\n", SCRIPT_FILE_NAME);
        return;
    }
    if (script_direction != ScriptDirection::writing) return;

    ScriptRecord record = {SCRIPT_LINE_UNRECOGNISED, x, y, key, periodic_count};
    if (kind == ZAVOK_MOUSE || kind == ZAVOK_KBD || kind == ZAVOK_PERIODIC) record.kind = static_cast<ScriptLineKind>(kind);
    char line[64];
    if (format_script_line(record, line, sizeof line) > 0) {
        // Each line goes to the file at once, so a program that ends abnormally still
        // leaves every event recorded so far.
        const bool put = std::fputs(line, script_file) >= 0;
        const bool flushed = std::fflush(script_file) == 0;
        if (!put || !flushed || std::ferror(script_file)) {
            // The line is lost (the runtime drops what it could not write), and the user must
            // know. The stream stays open and its error is cleared, so the next line is tried
            // again and what is already in the file stays there.
            report_write_failure();
            std::clearerr(script_file);
        }
    }
}

int script_play_next() {
    if (script_file == nullptr && !open_script(ScriptDirection::reading)) {
        ZAVOK_printf("Cannot open script file %s for reading\n", SCRIPT_FILE_NAME);
        script_stop_playback();
        return 0;
    }
    // A stream opened by recording has nothing to play: only a run still owed is delivered.
    FILE *const readable = script_direction == ScriptDirection::reading ? script_file : nullptr;
    ScriptEvent event;
    switch (script_play_step(readable, periodic_count, event)) {
        case SCRIPT_STEP_EVENT:
            break;
        case SCRIPT_STEP_END_OF_FILE:
            ZAVOK_printf("EOF encountered in script file %s\n", SCRIPT_FILE_NAME);
            script_stop_playback();
            return 0;
        case SCRIPT_STEP_READ_FAILED:
            // No event, so playback stops; the next command tries to read again.
            std::clearerr(script_file);
            return 0;
        case SCRIPT_STEP_NONE:
            return 0;
    }
    pending_event = event.kind;
    if (event.kind == SCRIPT_LINE_MOUSE) {
        event_x = event.x;
        event_y = event.y;
    }
    if (event.kind == SCRIPT_LINE_KBD) event_key = event.key;
    return 1;
}

void script_stop_playback() {
    script_playing = false;
    script_play_one = false;
    CheckMenuItem(run_menu, RUN_PLAYBACK, MF_UNCHECKED);
}

void script_close() {
    if (script_file == nullptr) return;
    // Closing writes out what the stream still holds; if that fails, lines are lost.
    const bool failed = std::fclose(script_file) != 0;
    if (failed && script_direction == ScriptDirection::writing) report_write_failure();
    script_file = nullptr;
    script_direction = ScriptDirection::none;
}
