// Measures the event script: recording a line (written through to the file at once) against
// the same line left in the stream's buffer, reading lines back, and playback through the wait.
#include "zavok.h"

#include "script/script_internal.h"
#include "script/script_line.h"
#include "window/window_internal.h"

#include <cstdio>

namespace {

constexpr int LINES = 20000;

double now_seconds() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void report(const char *what, double seconds, int count) {
    std::printf("%-52s %8.2f us each   (%d in %.3f s)\n", what, 1e6 * seconds / count, count, seconds);
}

void measure_recording() {
    script_close();
    std::remove(SCRIPT_FILE_NAME);
    double start = now_seconds();
    for (int i = 0; i < LINES; ++i) script_write_event(ZAVOK_MOUSE, i % 600 - 300, i % 500 - 250, 0);
    report("record a line, written through at once", now_seconds() - start, LINES);
    script_close();

    // The same lines left to the stream's buffer, as a recording without the write-through.
    FILE *file = std::fopen(SCRIPT_FILE_NAME, "wt");
    start = now_seconds();
    char line[64];
    for (int i = 0; i < LINES; ++i) {
        format_script_line({SCRIPT_LINE_MOUSE, i % 600 - 300, i % 500 - 250, 0, 0}, line, sizeof line);
        std::fputs(line, file);
    }
    std::fclose(file);
    report("the same line, buffered until close", now_seconds() - start, LINES);
}

void measure_reading() {
    FILE *file = std::fopen(SCRIPT_FILE_NAME, "rt");
    char line[SCRIPT_LINE_SIZE];
    int lines = 0;
    int32_t checksum = 0;
    const double start = now_seconds();
    while (read_script_line(file, line, SCRIPT_LINE_SIZE) == SCRIPT_READ_LINE) {
        checksum += parse_script_line(line, sizeof line).x;
        ++lines;
    }
    report("read and parse a line", now_seconds() - start, lines);
    std::fclose(file);
    if (checksum == 1) std::printf("\n");  // keeps the parse from being optimised away
}

// Ends the wait that follows the end of the script, which nothing else would end.
void CALLBACK click(HWND, UINT, UINT_PTR, DWORD) { PostMessageA(graphics_window, WM_LBUTTONDOWN, 0, 0); }

void measure_playback() {
    script_close();
    script_playing = true;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, click);
    int x, y;
    char key;
    int events = 0;
    const double start = now_seconds();
    double last_event = start;
    for (;;) {
        ZAVOK_await_event(&x, &y, &key);
        if (!script_playing) break;  // the end of the script, ended by the click
        ++events;
        last_event = now_seconds();
    }
    report("play an event through ZAVOK_await_event", last_event - start, events);
    KillTimer(nullptr, timer);
    script_close();
}

}  // namespace

int main() {
    ZAVOK_open(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    ZAVOK_show_text(0);
    ZAVOK_logging(0);
    ZAVOK_animate(ANIMATE_HALT);
    measure_recording();
    measure_reading();
    measure_playback();
    std::remove(SCRIPT_FILE_NAME);
    std::fflush(stdout);
    ZAVOK_close();
    return 0;
}
