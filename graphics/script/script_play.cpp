// One step of playback, from the script stream to an event.
#include "script_play.h"

ScriptStepResult script_play_step(FILE *stream, int32_t &periodic_count, ScriptEvent &event) {
    event = {SCRIPT_LINE_UNRECOGNISED, 0, 0, 0};
    if (periodic_count > 0) {
        event.kind = SCRIPT_LINE_PERIODIC;
        periodic_count -= 1;
        return SCRIPT_STEP_EVENT;
    }
    if (stream == nullptr) return SCRIPT_STEP_NONE;

    char line[SCRIPT_LINE_SIZE];
    switch (read_script_line(stream, line, SCRIPT_LINE_SIZE)) {
        case SCRIPT_READ_END_OF_FILE:
            return SCRIPT_STEP_END_OF_FILE;
        case SCRIPT_READ_FAILED:
            return SCRIPT_STEP_READ_FAILED;
        case SCRIPT_READ_LINE:
            break;
    }

    const ScriptRecord record = parse_script_line(line, sizeof line);
    event.kind = record.kind;
    switch (record.kind) {
        case SCRIPT_LINE_MOUSE:
            event.x = record.x;
            event.y = record.y;
            return SCRIPT_STEP_EVENT;
        case SCRIPT_LINE_KBD:
            event.key = record.key;
            return SCRIPT_STEP_EVENT;
        case SCRIPT_LINE_PERIODIC:
            // A count of 0 delivers one event, like 1, and leaves nothing owed: a negative
            // remainder would be taken off the first run counted by a recording that follows.
            periodic_count = record.count > 0 ? record.count - 1 : 0;
            return SCRIPT_STEP_EVENT;
        case SCRIPT_LINE_UNRECOGNISED:
            break;
    }
    return SCRIPT_STEP_NONE;
}
