// Recording events to the script file and playing them back from it.
#include "zavok.h"

#include "../window/window_internal.h"
#include "script_internal.h"
#include "script_line.h"
#include "script_play.h"

#include <fcntl.h>
#include <io.h>
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

// The script file as the recording found it when it was started: size and last write, 0 for
// a file that is not there.
struct FileStamp {
    uint64_t size;
    uint64_t written;
};
FileStamp recording_found = {0, 0};

FileStamp script_file_stamp() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(SCRIPT_FILE_NAME, GetFileExInfoStandard, &data) == 0) return {0, 0};
    return {(uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
}

bool same_stamp(const FileStamp &a, const FileStamp &b) {
    return a.size == b.size && a.written == b.written;
}

// A recording denies other writers while it holds the file, and empties the file only if it is
// still as it was when the recording was started: lines that appeared since belong to another
// program's recording, and this one is refused rather than destroy them. The check and the
// emptying happen on one handle that already shuts out other writers, so that nobody can write
// in between. Readers (playback elsewhere) are let in.
FILE *open_for_recording() {
    const HANDLE file = CreateFileA(SCRIPT_FILE_NAME, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    // An empty file (one just made, or a device such as /dev/full) has nothing to lose or empty.
    const FileStamp found = script_file_stamp();
    if (found.size > 0 && (!same_stamp(found, recording_found) || SetEndOfFile(file) == 0)) {
        CloseHandle(file);
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT);
    if (descriptor < 0) {
        CloseHandle(file);
        return nullptr;
    }
    FILE *const stream = _fdopen(descriptor, "wt");
    if (stream == nullptr) _close(descriptor);
    return stream;
}

bool open_script(ScriptDirection direction) {
    // Playback too denies writers while it holds the file, so that no recording elsewhere can
    // empty a script under it.
    script_file = direction == ScriptDirection::writing ? open_for_recording() : _fsopen(SCRIPT_FILE_NAME, "rt", _SH_DENYWR);
    if (script_file == nullptr) return false;
    script_direction = direction;
    return true;
}

// The card designer hides the text window, where script errors are printed: the user whose
// recording or playback failed must see why. The keyboard stays with the graphics window.
void show_script_error() { ShowWindow(text_window, SW_SHOWNOACTIVATE); }

void report_write_failure() {
    ZAVOK_printf("Cannot write script file %s\n", SCRIPT_FILE_NAME);
    show_script_error();
}

void set_record_check(bool checked) { CheckMenuItem(run_menu, RUN_RECORD, checked ? MF_CHECKED : MF_UNCHECKED); }

}  // namespace

void script_write_event(int kind, int x, int y, char key) {
    if (script_file == nullptr && !open_script(ScriptDirection::writing)) {
        ZAVOK_printf("Cannot open script file %s for writing\n", SCRIPT_FILE_NAME);
        show_script_error();
        // Refused for the rest of this recording: trying again at a later event would empty the
        // file as soon as its holder lets go of it. The menu stops claiming a recording, and the
        // next Record Script starts a new one.
        script_recording = false;
        set_record_check(false);
        periodic_count = 0;
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
        show_script_error();
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

void script_start_recording() {
    script_recording = true;  // the file is created by the first line written
    set_record_check(true);
    recording_found = script_file_stamp();
}

void script_stop_recording() {
    script_recording = false;
    set_record_check(false);
    if (periodic_count > 0) {
        script_write_event(ZAVOK_PERIODIC, event_x, event_y, event_key);
        periodic_count = 0;
    }
    script_close();
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
