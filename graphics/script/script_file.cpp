// Recording events to the script file and playing them back from it.
#include "zavok.h"

#include "../window/window_internal.h"
#include "script_internal.h"
#include "script_line.h"

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

bool open_script(const char *mode, ScriptDirection direction) {
    script_file = std::fopen(SCRIPT_FILE_NAME, mode);
    if (script_file == nullptr) return false;
    script_direction = direction;
    return true;
}

}  // namespace

void script_write_event(int kind, int x, int y, char key) {
    if (script_file == nullptr && !open_script("wt", ScriptDirection::writing)) {
        ZAVOK_printf("Cannot open script file %s for writing\n", SCRIPT_FILE_NAME);
        return;
    }
    if (script_direction != ScriptDirection::writing) return;

    ScriptRecord record = {SCRIPT_LINE_UNRECOGNISED, x, y, key, periodic_count};
    if (kind == ZAVOK_MOUSE || kind == ZAVOK_KBD || kind == ZAVOK_PERIODIC) record.kind = static_cast<ScriptLineKind>(kind);
    char line[64];
    if (format_script_line(record, line, sizeof line) > 0) {
        std::fputs(line, script_file);
        // Each line goes to the file at once, so a program that ends abnormally still
        // leaves every event recorded so far.
        std::fflush(script_file);
    }
}

int script_play_next() {
    if (script_file == nullptr && !open_script("rt", ScriptDirection::reading)) {
        ZAVOK_printf("Cannot open script file %s for reading\n", SCRIPT_FILE_NAME);
        script_stop_playback();
        return 0;
    }
    if (periodic_count > 0) {
        pending_event = ZAVOK_PERIODIC;
        periodic_count -= 1;
        return 1;
    }
    // A stream opened by recording has nothing to play: playback gets no event and stops.
    if (script_direction != ScriptDirection::reading) return 0;

    char line[SCRIPT_LINE_SIZE];
    switch (read_script_line(script_file, line, SCRIPT_LINE_SIZE)) {
        case SCRIPT_READ_END_OF_FILE:
            ZAVOK_printf("EOF encountered in script file %s\n", SCRIPT_FILE_NAME);
            script_stop_playback();
            return 0;
        case SCRIPT_READ_FAILED:
            // No event, so playback stops; the next command tries to read again.
            std::clearerr(script_file);
            return 0;
        case SCRIPT_READ_LINE:
            break;
    }

    const ScriptRecord record = parse_script_line(line, sizeof line);
    switch (record.kind) {
        case SCRIPT_LINE_KBD:
            pending_event = ZAVOK_KBD;
            event_key = record.key;
            return 1;
        case SCRIPT_LINE_MOUSE:
            pending_event = ZAVOK_MOUSE;
            event_x = record.x;
            event_y = record.y;
            return 1;
        case SCRIPT_LINE_PERIODIC:
            // This call delivers the first of the run. A count of 0 delivers one event, like 1,
            // and leaves nothing pending: a negative remainder would be taken off the first
            // run counted by a recording that starts afterwards.
            pending_event = ZAVOK_PERIODIC;
            periodic_count = record.count > 0 ? record.count - 1 : 0;
            return 1;
        case SCRIPT_LINE_UNRECOGNISED:
            break;
    }
    return 0;
}

void script_stop_playback() {
    script_playing = false;
    script_play_one = false;
    CheckMenuItem(run_menu, RUN_PLAYBACK, MF_UNCHECKED);
}

void script_close() {
    if (script_file == nullptr) return;
    std::fclose(script_file);
    script_file = nullptr;
    script_direction = ScriptDirection::none;
}
