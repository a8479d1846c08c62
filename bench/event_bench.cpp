// Measures what waiting costs: processor time while halted and idle, and while animating an
// empty and a full card, with the periodic events delivered per second.
#include "designer.h"

#include <cstdio>

namespace {

constexpr DWORD SAMPLE_MS = 5000;

double process_cpu_seconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME &t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

void CALLBACK wake_up(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    PostMessageA(FindWindowA("DrawWndClass", nullptr), WM_LBUTTONDOWN, 0, 0);
}

void report(const char *what, double wall_seconds, double cpu_seconds, int periodic_events) {
    std::printf("%-40s %6.2f%% of a core", what, 100.0 * cpu_seconds / wall_seconds);
    if (periodic_events >= 0) std::printf("   %5.2f periodic events/s", periodic_events / wall_seconds);
    std::printf("\n");
}

void measure_halted() {
    ZAVOK_animate(ANIMATE_HALT);
    SetTimer(nullptr, 0, SAMPLE_MS, wake_up);
    const DWORD start = GetTickCount();
    const double cpu_start = process_cpu_seconds();
    int x, y;
    char key;
    ZAVOK_await_event(&x, &y, &key);
    report("halted, idle", (GetTickCount() - start) / 1000.0, process_cpu_seconds() - cpu_start, -1);
}

void measure_animating(const char *what, DesignerState &state) {
    ZAVOK_animate(ANIMATE_RUN);
    const DWORD start = GetTickCount();
    const double cpu_start = process_cpu_seconds();
    int periodic_events = 0;
    while (GetTickCount() - start < SAMPLE_MS) {
        clear_drawing_area();
        draw_card(state.background_colour, state.mode, state.object_count, state.objects);
        draw_panel(state.last_button);
        int x, y;
        char key;
        if (ZAVOK_await_event(&x, &y, &key) == ZAVOK_PERIODIC) ++periodic_events;
    }
    ZAVOK_animate(ANIMATE_HALT);
    report(what, (GetTickCount() - start) / 1000.0, process_cpu_seconds() - cpu_start, periodic_events);
}

}  // namespace

int main() {
    ZAVOK_open(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    ZAVOK_show_text(0);
    ZAVOK_logging(0);
    ZAVOK_clear();
    random_seed(1);

    std::printf("Processor use of the program's own process over %lu s each:\n", SAMPLE_MS / 1000);
    measure_halted();

    static DesignerState state;
    init_designer_state(state);
    measure_animating("animating, empty card", state);

    // The heaviest card: 150 trees, balloons and greetings spread over the card.
    for (int i = 0; i < MAX_OBJECTS; ++i) {
        state.mode = (i % 3 == 2) ? MODE_ADD_TEXT : MODE_ADD_SHAPE;
        add_object(state.mode == MODE_ADD_TEXT ? OBJECT_TEXT : OBJECT_SHAPE, -120 + (i * 37) % 330,
                   -140 + (i * 53) % 330, state);
        state.objects.object_variant[i] = (i % 3 == 0) ? 6 : (i % 3 == 1) ? 5 : i % 6;
        state.objects.object_colour[i] = i % 24;
    }
    measure_animating("animating, 150 objects", state);
    std::fflush(stdout);
    ZAVOK_close();
    return 0;
}
