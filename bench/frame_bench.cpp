// Measures one full drawing pass of the designer's screen (drawing area, card with its objects
// and status line, button panel) onto the off-screen surface, for cards of growing weight.
// Only drawing is timed: no waiting and no copy to the window.
#include "designer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double MIN_SECONDS_PER_CARD = 2.0;
constexpr int MIN_PASSES = 20;

// The heaviest artwork: trees (14 calls), balloons (8 calls) and greetings, in turn.
constexpr int HEAVY_VARIANTS[3] = {6, 5, 0};
constexpr int HEAVY_KINDS[3] = {OBJECT_SHAPE, OBJECT_SHAPE, OBJECT_TEXT};

double seconds_now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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

// Lets the window system see the window alive between measurements.
void pump_pending_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void measure(const char *what, const DesignerState &state) {
    draw_pass(state);  // the first pass pays for font look-ups once
    std::vector<double> passes;
    const double start = seconds_now();
    while (static_cast<int>(passes.size()) < MIN_PASSES || seconds_now() - start < MIN_SECONDS_PER_CARD) {
        const double before = seconds_now();
        draw_pass(state);
        passes.push_back(seconds_now() - before);
    }
    std::sort(passes.begin(), passes.end());
    double total = 0;
    for (const double pass : passes) total += pass;
    const double mean = total / static_cast<double>(passes.size());
    const double median = passes[passes.size() / 2];
    std::printf("%-36s %7zu %10.3f %10.3f %10.3f %9.1f\n", what, passes.size(), 1e3 * passes.front(), 1e3 * median,
                1e3 * mean, 1.0 / mean);
    std::fflush(stdout);
    pump_pending_messages();
}

}  // namespace

int main() {
    ZAVOK_open(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    ZAVOK_show_text(0);
    ZAVOK_logging(0);
    ZAVOK_clear();
    random_seed(1);
    pump_pending_messages();

    std::printf("One full drawing pass onto the surface (no waiting, no copy to the window)\n");
    std::printf("%-36s %7s %10s %10s %10s %9s\n", "card", "passes", "min ms", "median ms", "mean ms", "passes/s");

    static DesignerState state;
    fill_card(state, 0, false);
    measure("empty", state);
    fill_card(state, 50, false);
    measure("50 objects, black", state);
    fill_card(state, MAX_OBJECTS, false);
    measure("150 objects, black", state);
    fill_card(state, MAX_OBJECTS, true);
    measure("150 objects, colours 0 to 23", state);

    ZAVOK_close();
    return 0;
}
