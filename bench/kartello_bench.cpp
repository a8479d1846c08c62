// Measures the package and the card designer and prints one Markdown table:
// - one full drawing pass of Kartello's screen for cards of growing weight (drawing only: no
//   waiting and no copy to the window), and the same frame painted with raw GDI calls and
//   objects made once, as the floor;
// - each drawing call and the text window's print;
// - the processor use of waiting, halted and while animating, with the periodic events a second.
// Under Wine every message-queue call also costs the wineserver process; when tools/bench says
// which process that is (ZAVOK_WINESERVER_PID), its share is read from /proc for each phase.
#include "bench_clock.h"
#include "designer.h"
#include "draw/draw_internal.h"
#include "gdi_floor.h"
#include "window/window_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- Clocks -----------------------------------------------------------------------------

double process_cpu_seconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME &t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The wineserver's processor time from its /proc/<pid>/stat (fields 14 and 15, in clock
// ticks), through Wine's drive Z:, which is the Unix root. Negative when not known.
double wineserver_cpu_seconds() {
    const char *const pid = std::getenv("ZAVOK_WINESERVER_PID");
    if (pid == nullptr || *pid == '\0') return -1;
    const char *const ticks = std::getenv("ZAVOK_CLOCK_TICKS");
    const double ticks_per_second = ticks != nullptr && std::atof(ticks) > 0 ? std::atof(ticks) : 100.0;
    const std::string path = std::string("Z:\\proc\\") + pid + "\\stat";
    FILE *const file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return -1;
    char text[1024] = {};
    const size_t length = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[length] = '\0';
    const char *fields = std::strrchr(text, ')');  // the command name may hold spaces
    if (fields == nullptr) return -1;
    unsigned long long user = 0, system = 0;
    if (std::sscanf(fields + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system) != 2)
        return -1;
    return static_cast<double>(user + system) / ticks_per_second;
}

// Lets the windows settle (repaints, mapping) so that their work is not counted against a call.
void dispatch_pending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void progress(const char *what) {
    std::fprintf(stderr, "measuring %s\n", what);
    std::fflush(stderr);
}

// ---- The table ----------------------------------------------------------------------------

// The table's parts, in the order they are printed, whatever order they are measured in.
enum Section { SECTION_FRAMES, SECTION_CALLS, SECTION_TEXT_WINDOW, SECTION_WAITING };

struct Row {
    Section section;
    std::string measurement;
    std::string value;
    std::string target;
    std::string met;
};

std::vector<Row> rows;
Section current_section = SECTION_FRAMES;

std::string format(const char *pattern, double a, double b = 0, double c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

void add_row(const std::string &measurement, const std::string &value, const std::string &target = "",
             const std::string &met = "") {
    rows.push_back({current_section, measurement, value, target, met});
}

void print_table() {
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.section < b.section; });
    std::printf("| measurement | value | target | met |\n");
    std::printf("|---|---|---|---|\n");
    for (const Row &row : rows)
        std::printf("| %s | %s | %s | %s |\n", row.measurement.c_str(), row.value.c_str(), row.target.c_str(),
                    row.met.c_str());
    std::fflush(stdout);
}

// ---- Frames ---------------------------------------------------------------------------------

constexpr double MIN_SECONDS_PER_CARD = 2.0;
constexpr int MIN_PASSES = 20;

// The heaviest artwork, in turn: trees (14 calls), balloons (8 calls) and the longest greeting.
constexpr int HEAVY_VARIANTS[3] = {6, 5, 3};
constexpr int HEAVY_KINDS[3] = {OBJECT_SHAPE, OBJECT_SHAPE, OBJECT_TEXT};

void fill_card(DesignerState &state, int count, bool spread_colours) {
    init_designer_state(state);
    for (int i = 0; i < count; ++i) {
        const int kind = HEAVY_KINDS[i % 3];
        state.mode = kind == OBJECT_TEXT ? MODE_ADD_TEXT : MODE_ADD_SHAPE;
        handle_click(-120 + (i * 37) % 330, -140 + (i * 53) % 330, state);
        state.objects.object_variant[i] = HEAVY_VARIANTS[i % 3];
        state.objects.object_colour[i] = spread_colours ? i % 24 : COLOR_BLACK;
    }
}

void draw_pass(const DesignerState &state) {
    clear_drawing_area();
    draw_card(state.background_colour, state.mode, state.object_count, state.objects);
    draw_panel(state.last_button);
}

struct PassTimes {
    size_t passes;
    double min_ms;
    double median_ms;
    double mean_ms;
};

// Times `pass` again and again for at least two seconds and twenty passes; the first pass,
// which pays for font look-ups once, is not counted.
template <typename Pass>
PassTimes time_passes(Pass pass) {
    pass();
    std::vector<double> seconds;
    const double start = seconds_now();
    while (static_cast<int>(seconds.size()) < MIN_PASSES || seconds_now() - start < MIN_SECONDS_PER_CARD) {
        const double before = seconds_now();
        pass();
        seconds.push_back(seconds_now() - before);
    }
    dispatch_pending();
    std::sort(seconds.begin(), seconds.end());
    double total = 0;
    for (const double s : seconds) total += s;
    return {seconds.size(), 1e3 * seconds.front(), 1e3 * seconds[seconds.size() / 2],
            1e3 * total / static_cast<double>(seconds.size())};
}

std::string pass_value(const PassTimes &times) {
    return format("%.3f ms median (min %.3f, mean %.3f)", times.median_ms, times.min_ms, times.mean_ms) + ", " +
           std::to_string(times.passes) + " passes";
}

// Surface pixels of both bitmaps that differ.
int differing_pixels(const std::vector<COLORREF> &a, const std::vector<COLORREF> &b) {
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i] ? 1 : 0;
    return count;
}

std::vector<COLORREF> surface_pixels() {
    std::vector<COLORREF> pixels;
    pixels.reserve(static_cast<size_t>(SURFACE_WIDTH) * SURFACE_HEIGHT);
    for (int y = 0; y < SURFACE_HEIGHT; ++y)
        for (int x = 0; x < SURFACE_WIDTH; ++x) pixels.push_back(GetPixel(surface_dc, x, y));
    return pixels;
}

void measure_frames(DesignerState &state) {
    progress("frames");
    current_section = SECTION_FRAMES;
    fill_card(state, 0, false);
    add_row("frame, empty card", pass_value(time_passes([&] { draw_pass(state); })));
    fill_card(state, 50, false);
    add_row("frame, 50 objects (trees, balloons, greetings), all black",
            pass_value(time_passes([&] { draw_pass(state); })));
    fill_card(state, MAX_OBJECTS, false);
    add_row("frame, 150 objects, all black", pass_value(time_passes([&] { draw_pass(state); })));
    fill_card(state, MAX_OBJECTS, true);
    const PassTimes ours = time_passes([&] { draw_pass(state); });
    add_row("frame, 150 objects, colours 0 to 23", pass_value(ours));

    // The floor: one pass of that card recorded, then replayed with objects made once. The
    // same seed draws the same frame both ways, so the two pictures can be compared.
    progress("the raw GDI floor");
    ObjectCache cache;
    random_seed(7);
    const std::vector<Primitive> primitives = record_primitives([&] { draw_pass(state); }, cache);
    random_seed(7);
    clear_surface();
    draw_pass(state);
    const std::vector<COLORREF> drawn = surface_pixels();
    clear_surface();
    replay_primitives(primitives);
    const int differing = differing_pixels(drawn, surface_pixels());

    const PassTimes floor = time_passes([&] { replay_primitives(primitives); });
    add_row("floor: the same 150-object frame in raw GDI, objects made once (" + std::to_string(primitives.size()) +
                " calls, " + std::to_string(cache.pens.size() + cache.brushes.size() + cache.fonts.size()) +
                " objects; " + std::to_string(differing) + " pixels differ from ours)",
            pass_value(floor));
    add_row("our 150-object frame against the floor",
            format("%.2f times as long (medians)", ours.median_ms / floor.median_ms));
}

// ---- Single calls ---------------------------------------------------------------------------

constexpr int REPETITIONS = 20000;

template <typename Call>
void time_call(const char *name, int repetitions, Call call) {
    dispatch_pending();
    const double start = seconds_now();
    for (int i = 0; i < repetitions; ++i) call(i);
    const double microseconds = (seconds_now() - start) * 1e6 / repetitions;
    add_row(name, format("%.2f us per call", microseconds) + " (" + std::to_string(repetitions) + " calls)");
}

template <typename Call>
void time_once(const char *name, Call call) {
    dispatch_pending();
    const double start = seconds_now();
    call();
    add_row(name, format("%.1f ms (one call)", (seconds_now() - start) * 1e3));
}

void measure_calls() {
    progress("drawing calls");
    current_section = SECTION_CALLS;
    time_call("ZAVOK_pixel", REPETITIONS, [](int i) { ZAVOK_pixel(i % 24, i % 200 - 100, i % 150 - 75); });
    time_call("ZAVOK_circle, radius 20", REPETITIONS, [](int i) { ZAVOK_circle(i % 24, i % 200 - 100, 0, 20); });
    time_call("ZAVOK_triangle, filled", REPETITIONS,
              [](int i) { ZAVOK_triangle(i % 24, -50, -40, 50, -40, 0, 60, 0); });
    time_call("ZAVOK_triangle, width 2", REPETITIONS,
              [](int i) { ZAVOK_triangle(i % 24, -50, -40, 50, -40, 0, 60, 2); });
    time_call("ZAVOK_rectangle, filled 101 x 81", REPETITIONS,
              [](int i) { ZAVOK_rectangle(i % 24, -50, 40, 50, -40, 0); });
    time_call("ZAVOK_rectangle, width 2", REPETITIONS, [](int i) { ZAVOK_rectangle(i % 24, -50, 40, 50, -40, 2); });
    time_call("ZAVOK_oval, filled 101 x 81", REPETITIONS, [](int i) { ZAVOK_oval(i % 24, -50, 40, 50, -40, 0); });
    time_call("ZAVOK_oval, width 2", REPETITIONS, [](int i) { ZAVOK_oval(i % 24, -50, 40, 50, -40, 2); });
    time_call("ZAVOK_line, width 1", REPETITIONS, [](int i) { ZAVOK_line(i % 24, -100, -50, 100, 50, 0); });
    time_call("ZAVOK_line, width 5", REPETITIONS, [](int i) { ZAVOK_line(i % 24, -100, -50, 100, 50, 5); });
    time_call("ZAVOK_text, 14 px, 14 characters", REPETITIONS,
              [](int i) { ZAVOK_text(i % 24, -100, 0, 14, "Happy Birthday"); });
    time_call("ZAVOK_text, 24 px, two lines", REPETITIONS,
              [](int i) { ZAVOK_text(i % 24, -100, 0, 24, "Season's\nGreetings"); });
    time_call("ZAVOK_printf_at, \"%d objects\"", REPETITIONS,
              [](int i) { ZAVOK_printf_at(i % 24, -100, 0, 14, "%d objects", i); });
    time_call("ZAVOK_clear", REPETITIONS / 4, [](int) { ZAVOK_clear(); });
    time_call("ZAVOK_circle with a bad colour (notice printed, text window hidden)", REPETITIONS,
              [](int i) { ZAVOK_circle(24 + i % 10, 0, 0, 20); });
    // The flag itself: ZAVOK_logging would also show the text window, which stays hidden here.
    logging_enabled = true;
    time_call("ZAVOK_circle with logging on, text window hidden", REPETITIONS,
              [](int i) { ZAVOK_circle(i % 24, 0, 0, 20); });
    logging_enabled = false;
    current_section = SECTION_TEXT_WINDOW;
    time_call("ZAVOK_printf, text window hidden", REPETITIONS, [](int i) { ZAVOK_printf("Notice number %d\n", i); });
}

// Printing into the shown window, and what showing and hiding it cost (hiding waits for the
// X server, which takes Wine seconds on a display without a window manager).
void measure_text_window(bool shown_now) {
    current_section = SECTION_TEXT_WINDOW;
    if (shown_now) {
        Sleep(300);
        dispatch_pending();
        time_call("ZAVOK_printf, text window shown", REPETITIONS / 4,
                  [](int i) { ZAVOK_printf("Notice number %d\n", i); });
        time_once("ZAVOK_show_text(0), hiding the text window", [] { ZAVOK_show_text(0); });
    } else {
        time_once("ZAVOK_show_text(1), showing the text window", [] { ZAVOK_show_text(1); });
        time_once("ZAVOK_show_text(0), hiding it again", [] { ZAVOK_show_text(0); });
    }
}

// ---- Waiting ----------------------------------------------------------------------------------

constexpr DWORD SAMPLE_MS = 10000;

struct CpuSample {
    double wall;
    double own;
    double server;  // negative when not known
};

CpuSample start_sample() { return {seconds_now(), process_cpu_seconds(), wineserver_cpu_seconds()}; }

CpuSample since(const CpuSample &start) {
    const double server = wineserver_cpu_seconds();
    return {seconds_now() - start.wall, process_cpu_seconds() - start.own,
            server >= 0 && start.server >= 0 ? server - start.server : -1};
}

std::string percent(double seconds, double wall) { return format("%.2f%% of a core", 100.0 * seconds / wall); }

// One row for the program, one for the wineserver and one for both; the target holds for both.
void add_cpu_rows(const char *what, const CpuSample &sample, double target_percent) {
    const std::string target = format("under %.0f%% of a core", target_percent);
    const auto met = [&](double seconds) { return 100.0 * seconds / sample.wall < target_percent ? "yes" : "no"; };
    add_row(std::string(what) + ": the program (GetProcessTimes)", percent(sample.own, sample.wall), target,
            met(sample.own));
    if (sample.server < 0) {
        add_row(std::string(what) + ": the wineserver", "not known (not run by tools/bench)");
        return;
    }
    add_row(std::string(what) + ": the wineserver", percent(sample.server, sample.wall));
    add_row(std::string(what) + ": both", percent(sample.own + sample.server, sample.wall), target,
            met(sample.own + sample.server));
}

void CALLBACK end_wait(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageA(graphics_window, WM_LBUTTONDOWN, 0, 0);
}

void measure_halted() {
    progress("waiting while halted");
    current_section = SECTION_WAITING;
    ZAVOK_animate(ANIMATE_HALT);
    dispatch_pending();
    SetTimer(nullptr, 0, SAMPLE_MS, end_wait);
    const CpuSample start = start_sample();
    ZAVOK_await_event(nullptr, nullptr, nullptr);
    add_cpu_rows("halted and idle, waiting", since(start), 1);
}

void measure_animating(const char *what, const DesignerState &state, bool with_targets) {
    progress(what);
    ZAVOK_animate(ANIMATE_RUN);
    int periodic_events = 0;
    const CpuSample start = start_sample();
    while (seconds_now() - start.wall < SAMPLE_MS / 1000.0) {
        draw_pass(state);
        if (ZAVOK_await_event(nullptr, nullptr, nullptr) == ZAVOK_PERIODIC) ++periodic_events;
    }
    const CpuSample sample = since(start);
    ZAVOK_animate(ANIMATE_HALT);
    const double rate = periodic_events / sample.wall;
    add_row(std::string(what) + ": periodic events", format("%.2f a second", rate), with_targets ? "at least 9.5" : "",
            with_targets ? (rate >= 9.5 ? "yes" : "no") : "");
    if (with_targets) {
        add_cpu_rows(what, sample, 15);
    } else {
        add_row(std::string(what) + ": the program (GetProcessTimes)", percent(sample.own, sample.wall));
        if (sample.server >= 0) add_row(std::string(what) + ": the wineserver", percent(sample.server, sample.wall));
    }
}

}  // namespace

int main() {
    ZAVOK_open(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    ZAVOK_logging(0);
    ZAVOK_clear();
    random_seed(1);

    measure_text_window(true);  // the text window starts shown; it stays hidden from here on
    static DesignerState state;
    measure_frames(state);
    measure_calls();

    measure_halted();
    fill_card(state, 0, false);
    measure_animating("animating an empty card", state, false);
    fill_card(state, MAX_OBJECTS, true);
    measure_animating("animating 150 objects", state, true);

    measure_text_window(false);
    print_table();
    ZAVOK_close();
    return 0;
}
