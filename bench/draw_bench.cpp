// Measures what each drawing call and each text-window print costs, and prints a table.
// Logging is off, so the drawing calls print nothing; the surface is not copied to the window.
#include "zavok.h"

#include <cstdio>

namespace {

constexpr int REPETITIONS = 20000;

double counter_frequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart);
}

long long counter_now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Lets the windows settle (repaints, mapping) so their work is not counted against a call.
void dispatch_pending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

template <typename Call>
void measure(const char *name, int repetitions, Call call) {
    dispatch_pending();
    const long long start = counter_now();
    for (int i = 0; i < repetitions; ++i) call(i);
    const long long stop = counter_now();
    const double microseconds = static_cast<double>(stop - start) * 1e6 / counter_frequency() / repetitions;
    std::printf("| %-36s | %8d | %9.2f |\n", name, repetitions, microseconds);
    std::fflush(stdout);
}

}  // namespace

int main() {
    ZAVOK_open(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    ZAVOK_logging(0);
    ZAVOK_clear();
    Sleep(300);
    dispatch_pending();

    std::printf("| operation                            | calls    | us / call |\n");
    std::printf("|--------------------------------------|----------|-----------|\n");
    measure("ZAVOK_pixel", REPETITIONS, [](int i) { ZAVOK_pixel(i % 24, i % 200 - 100, i % 150 - 75); });
    measure("ZAVOK_circle (radius 20)", REPETITIONS, [](int i) { ZAVOK_circle(i % 24, i % 200 - 100, 0, 20); });
    measure("ZAVOK_triangle (filled)", REPETITIONS,
            [](int i) { ZAVOK_triangle(i % 24, -50, -40, 50, -40, 0, 60, 0); });
    measure("ZAVOK_triangle (width 2)", REPETITIONS,
            [](int i) { ZAVOK_triangle(i % 24, -50, -40, 50, -40, 0, 60, 2); });
    measure("ZAVOK_rectangle (filled 100x80)", REPETITIONS,
            [](int i) { ZAVOK_rectangle(i % 24, -50, 40, 50, -40, 0); });
    measure("ZAVOK_rectangle (width 2)", REPETITIONS, [](int i) { ZAVOK_rectangle(i % 24, -50, 40, 50, -40, 2); });
    measure("ZAVOK_oval (filled 100x80)", REPETITIONS, [](int i) { ZAVOK_oval(i % 24, -50, 40, 50, -40, 0); });
    measure("ZAVOK_line (width 1)", REPETITIONS, [](int i) { ZAVOK_line(i % 24, -100, -50, 100, 50, 0); });
    measure("ZAVOK_line (width 5)", REPETITIONS, [](int i) { ZAVOK_line(i % 24, -100, -50, 100, 50, 5); });
    measure("ZAVOK_text (14 px, 13 chars)", REPETITIONS,
            [](int i) { ZAVOK_text(i % 24, -100, 0, 14, "Happy Birthday"); });
    measure("ZAVOK_text (24 px, two lines)", REPETITIONS,
            [](int i) { ZAVOK_text(i % 24, -100, 0, 24, "Season's\nGreetings"); });
    measure("ZAVOK_printf_at (\"%d objects\")", REPETITIONS,
            [](int i) { ZAVOK_printf_at(i % 24, -100, 0, 14, "%d objects", i); });
    measure("ZAVOK_clear", REPETITIONS / 4, [](int) { ZAVOK_clear(); });

    ZAVOK_show_text(1);
    Sleep(300);
    measure("ZAVOK_printf, text window shown", REPETITIONS / 4, [](int i) { ZAVOK_printf("Notice number %d\n", i); });
    ZAVOK_show_text(0);
    Sleep(300);
    measure("ZAVOK_printf, text window hidden", REPETITIONS, [](int i) { ZAVOK_printf("Notice number %d\n", i); });
    ZAVOK_logging(1);
    ZAVOK_show_text(0);
    measure("ZAVOK_circle logging, window hidden", REPETITIONS, [](int i) { ZAVOK_circle(i % 24, 0, 0, 20); });
    measure("ZAVOK_show_text(1) then (0)", 4, [](int) {
        ZAVOK_show_text(1);
        ZAVOK_show_text(0);
    });

    ZAVOK_close();
    return 0;
}
