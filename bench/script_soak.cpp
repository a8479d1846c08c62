// A long recording of Kartello's animation, run by hand (tools/bench script_soak): the card
// designer's own frame (a full card of 150 objects) animated for ZAVOK_SOAK_MINUTES minutes (20
// by default) while recording, then the recording stopped and played back. It checks that the
// recording is one PERIODIC line holding exactly the periodic events the program saw and that
// playback gives exactly that many, and it samples the process's memory and how many GDI objects
// it could still create: a leak of memory or of GDI objects per frame would show as growth.
//
// GetGuiResources is a stub under Wine (it returns 0), so GDI objects are counted from the other
// side: the probe creates pens until the process's GDI table refuses one (or a bound far above
// the table's size is reached), then deletes them all. What the program holds is the table's
// size less that headroom, so the headroom falling means objects leaked.
#include "bench_clock.h"
#include "designer.h"
#include "script/script_internal.h"
#include "window/window_internal.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int PROBE_LIMIT = 200000;  // far above Wine's table of about 65,000 objects
constexpr double WARM_UP_SECONDS = 30.0;  // caches and the heap settle before the baseline

int gdi_headroom() {
    std::vector<HPEN> pens;
    pens.reserve(PROBE_LIMIT);
    while (static_cast<int>(pens.size()) < PROBE_LIMIT) {
        const HPEN pen = CreatePen(PS_SOLID, 1, RGB(pens.size() & 0xFF, 0, 0));
        if (pen == nullptr) break;
        pens.push_back(pen);
    }
    for (const HPEN pen : pens) DeleteObject(pen);
    return static_cast<int>(pens.size());
}

struct Sample {
    double minute;
    long long periodic_events;
    double working_set_mb;
    double private_mb;
    int gdi_headroom;
};

Sample take_sample(double start, long long periodic_events) {
    // The probe first: the memory its pens took is then in every sample alike.
    const int headroom = gdi_headroom();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {(seconds_now() - start) / 60.0, periodic_events, static_cast<double>(counters.WorkingSetSize) / 1048576.0,
            static_cast<double>(counters.PagefileUsage) / 1048576.0, headroom};
}

void print_sample(const char *what, const Sample &sample) {
    std::printf("| %-22s | %6.1f | %9lld | %8.2f | %8.2f | %7d |\n", what, sample.minute, sample.periodic_events,
                sample.working_set_mb, sample.private_mb, sample.gdi_headroom);
    std::fflush(stdout);
}

// A full card: every shape and greeting in every colour, spread over the card.
void fill_card(DesignerState &state) {
    for (int i = 0; i < MAX_OBJECTS; ++i) {
        const int kind = i % 3 == 2 ? OBJECT_TEXT : OBJECT_SHAPE;
        add_object(kind, -120 + (i % 15) * 22, -130 + (i / 15) * 32, state);
        state.objects.object_variant[i] = kind == OBJECT_TEXT ? i % 6 : i % 7;
        state.objects.object_colour[i] = i % 24;
    }
}

void draw_frame(const DesignerState &state) {
    clear_drawing_area();
    draw_card(state.background_colour, state.mode, state.object_count, state.objects);
    draw_panel(state.last_button);
}

// Ends the wait after playback has met the end of the script: nothing else would end it.
void CALLBACK click_when_played(HWND, UINT, UINT_PTR, DWORD) {
    if (!script_playing) PostMessageA(graphics_window, WM_LBUTTONDOWN, 0, 0);
}

std::vector<std::string> script_lines() {
    std::vector<std::string> lines;
    FILE *file = std::fopen(SCRIPT_FILE_NAME, "rt");
    if (file == nullptr) return lines;
    char line[600];
    while (std::fgets(line, sizeof line, file) != nullptr) lines.emplace_back(line);
    std::fclose(file);
    return lines;
}

}  // namespace

int main() {
    const char *const minutes_text = std::getenv("ZAVOK_SOAK_MINUTES");
    const double minutes = minutes_text != nullptr && std::atof(minutes_text) > 0 ? std::atof(minutes_text) : 20.0;

    static DesignerState state;
    init_designer_state(state);
    random_seed(12345);
    ZAVOK_open(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    ZAVOK_show_text(0);
    ZAVOK_logging(0);
    ZAVOK_clear();
    fill_card(state);
    std::remove(SCRIPT_FILE_NAME);

    std::printf("Recording %.1f minutes of animation of a %d-object card, then playing it back.\n\n", minutes,
                state.object_count);
    std::printf("| %-22s | minute | periodic  | work. MB | priv. MB | GDI headroom |\n", "when");
    std::printf("|---|---|---|---|---|---|\n");

    ZAVOK_animate(ANIMATE_RUN);
    run_command(RUN_RECORD);
    const double start = seconds_now();
    long long periodic_events = 0;
    long long other_events = 0;
    std::vector<Sample> samples;
    // About twenty samples, at most a minute apart.
    const double sample_every = std::min(60.0, std::max(5.0, minutes * 3.0));
    double next_sample = start + std::min(WARM_UP_SECONDS, minutes * 15.0);
    while (seconds_now() - start < minutes * 60.0) {
        draw_frame(state);
        int x, y;
        char key;
        const int kind = ZAVOK_await_event(&x, &y, &key);
        if (kind == ZAVOK_PERIODIC) ++periodic_events; else ++other_events;
        if (seconds_now() >= next_sample) {
            samples.push_back(take_sample(start, periodic_events));
            print_sample(samples.size() == 1 ? "recording (baseline)" : "recording", samples.back());
            next_sample = seconds_now() + sample_every;
        }
    }
    const double recorded_seconds = seconds_now() - start;
    run_command(RUN_RECORD);
    const Sample after_recording = take_sample(start, periodic_events);
    print_sample("recording stopped", after_recording);

    const std::vector<std::string> lines = script_lines();
    const long long written = lines.size() == 1 ? std::atoll(lines[0].c_str() + 15) : -1;

    run_command(RUN_PLAYBACK);
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, click_when_played);
    long long played_periodic = 0;
    long long played_other = 0;
    const double play_start = seconds_now();
    for (;;) {
        draw_frame(state);
        int x, y;
        char key;
        const int kind = ZAVOK_await_event(&x, &y, &key);
        if (!script_playing) break;  // the end of the script, then the click
        if (kind == ZAVOK_PERIODIC) ++played_periodic; else ++played_other;
    }
    const double play_seconds = seconds_now() - play_start;
    KillTimer(nullptr, timer);
    const Sample after_playback = take_sample(start, periodic_events);
    print_sample("played back", after_playback);

    const Sample &baseline = samples.empty() ? after_recording : samples.front();
    double highest_private = baseline.private_mb;
    int lowest_headroom = baseline.gdi_headroom;
    for (const Sample &sample : samples) {
        if (sample.private_mb > highest_private) highest_private = sample.private_mb;
        if (sample.gdi_headroom < lowest_headroom) lowest_headroom = sample.gdi_headroom;
    }

    std::printf("\nrecorded for %.1f s: %lld periodic events (%.2f a second; 100 ms timer: %.0f expected), "
                "%lld other events\n",
                recorded_seconds, periodic_events, periodic_events / recorded_seconds, recorded_seconds * 10.0,
                other_events);
    std::printf("script: %zu line(s), first: %s", lines.size(), lines.empty() ? "(none)\n" : lines[0].c_str());
    std::printf("playback: %lld periodic events and %lld others in %.1f s\n", played_periodic, played_other, play_seconds);
    std::printf("private memory: %.2f MB at the baseline, %.2f MB at most, %.2f MB after playback\n",
                baseline.private_mb, highest_private, after_playback.private_mb);
    std::printf("GDI headroom: %d at the baseline, %d at least, %d after playback (change %+d)\n",
                baseline.gdi_headroom, lowest_headroom, after_playback.gdi_headroom,
                after_playback.gdi_headroom - baseline.gdi_headroom);

    bool good = true;
    const auto expect = [&good](bool holds, const char *what) {
        std::printf("%s: %s\n", holds ? "ok" : "FAILED", what);
        good = good && holds;
    };
    expect(lines.size() == 1 && lines[0].rfind("ZAVOK_PERIODIC(", 0) == 0, "the recording is one PERIODIC line");
    expect(written == periodic_events, "its count is the number of periodic events the program saw");
    expect(played_periodic == written && played_other == 0, "playback gives exactly that many periodic events");
    // A leak of one object per frame would take thousands; a handful may be Wine's own.
    expect(baseline.gdi_headroom - lowest_headroom < 100 && baseline.gdi_headroom - after_playback.gdi_headroom < 100,
           "the GDI objects held do not grow");
    expect(after_playback.private_mb - baseline.private_mb < 8.0, "private memory does not grow (under 8 MB)");
    std::fflush(stdout);

    std::remove(SCRIPT_FILE_NAME);
    ZAVOK_close();
    return good ? 0 : 1;
}
