// One step of playback: the next event a script stream holds, counting out the run of a
// PERIODIC line. Plain C library only, so the same code runs in the package and natively
// (the fuzzer feeds it a buffer of file bytes).
#pragma once

#include "script_line.h"

#include <cstdint>
#include <cstdio>

// What one step gave.
enum ScriptStepResult : int {
    SCRIPT_STEP_EVENT,        // an event is in `event`
    SCRIPT_STEP_END_OF_FILE,  // the stream's end-of-file indicator is set
    SCRIPT_STEP_READ_FAILED,  // a read failed before the end of the file; the stream's error is set
    SCRIPT_STEP_NONE          // no event: the line read is of no known kind, or there is no stream to read
};

struct ScriptEvent {
    ScriptLineKind kind;
    int32_t x;  // mouse
    int32_t y;  // mouse
    char key;   // keyboard
};

// Delivers one of the periodic events still owed (periodic_count > 0) without reading, or
// reads the next line of stream and takes its event; a PERIODIC line of n delivers the first
// of its n events and leaves n - 1 owed (a count of 0 delivers one and leaves none). A null
// stream gives only what is owed. Fields an event does not carry are 0.
ScriptStepResult script_play_step(FILE *stream, int32_t &periodic_count, ScriptEvent &event);
