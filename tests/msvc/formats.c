/* Formats every kind of conversion of its C runtime through ZAVOK_printf and ZAVOK_printf_at and
 * writes what the runtime's own snprintf makes of the same to formats.txt, a line each:
 *   printf|printf_at COUNT_RETURNED COUNT_OF_SNPRINTF TEXT_OF_SNPRINTF
 * At start it draws every case with ZAVOK_printf_at, and at the first event snprintf's texts of
 * them with ZAVOK_text in the same places: the two frames must be alike. The text window gets
 * PAGE cases at start and PAGE more at each event, so that every page can be read from it. */
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#include <zavok.h>

#define PAGE 12 /* as msvc_test.py reads them */
#define LONG_TEXT 1500 /* longer than the 1023 characters the package keeps */

enum kind { AS_INT, AS_LONG_LONG, AS_SIZE, AS_DOUBLE, AS_LONG_DOUBLE, AS_STRING, AS_LONG_STRING, AS_WIDE_STRING, AS_POINTER, AS_STARS };
enum way { BY_SNPRINTF, BY_PRINTF, BY_PRINTF_AT };

struct conversion {
    const char *format;
    enum kind kind;
    long long integer; /* AS_INT (%c, %u, %x...), AS_LONG_LONG, AS_SIZE, and the * of AS_STARS */
    long double real;  /* AS_DOUBLE, AS_LONG_DOUBLE, AS_STARS */
};

static const struct conversion conversions[] = {
    {"[%d] [%i] [%5d] [%-5d] [%05d] [%+d] [% d]", AS_INT, -42, 0},
    {"[%u] [%x] [%X] [%#x] [%o] [%#o]", AS_INT, 3054, 0},
    {"[%c] [%3c] [%-3c]", AS_INT, 'Z', 0},
    {"[%hd] [%hhd] [%ld] [%lu]", AS_INT, 70000, 0},
    {"[%d] [%u] [%x]", AS_INT, -2147483647 - 1, 0},
    {"[%%] [100%%]", AS_INT, 0, 0},
    {"[%lld] [%llu] [%llx] [%20lld]", AS_LONG_LONG, -9007199254740993LL, 0},
    {"[%I64d] [%I64x]", AS_LONG_LONG, 1234567890123LL, 0},
    {"[%zu] [%zd] [%zx] [%10zu]", AS_SIZE, 123456789, 0},
    {"[%Iu] [%Ix]", AS_SIZE, 4096, 0},
    {"[%f] [%.0f] [%.3f] [%10.2f] [%-10.2f] [%+.1f]", AS_DOUBLE, 0, 3.14159265358979},
    {"[%F] [%#.0f] [%08.3f]", AS_DOUBLE, 0, -2.5},
    {"[%e] [%E] [%.2e] [%12.4e]", AS_DOUBLE, 0, 6.02214076e23},
    {"[%e] [%g] [%G]", AS_DOUBLE, 0, 1.5e-300},
    {"[%g] [%G] [%.3g] [%#g] [%10g]", AS_DOUBLE, 0, 0.0001234567},
    {"[%g] [%g]", AS_DOUBLE, 0, 123456789.0},
    {"[%a] [%A] [%.2a]", AS_DOUBLE, 0, 1.0 / 3.0},
    {"[%f] [%e] [%g]", AS_DOUBLE, 0, HUGE_VAL},
    {"[%f] [%e]", AS_DOUBLE, 0, -0.0},
    {"[%Lf] [%.2Lf] [%10.3Lf]", AS_LONG_DOUBLE, 0, 1.5L},
    {"[%Le] [%LE] [%Lg] [%LG]", AS_LONG_DOUBLE, 0, -12345.678L},
    {"[%La]", AS_LONG_DOUBLE, 0, 0.1L},
    {"[%s] [%10s] [%-10s] [%.3s]", AS_STRING, 0, 0},
    {"[%ls] [%S] [%8ls]", AS_WIDE_STRING, 0, 0},
    {"[%p] [%20p]", AS_POINTER, 0, 0},
    {"[%*d] [%-*d] [%.*f] [%*.*f]", AS_STARS, 8, 2.0 / 3.0},
    {"%s", AS_LONG_STRING, 0, 0},
    {"%-1100d|", AS_INT, 7, 0}, /* past the 1023 characters by the width alone */
};
#define COUNT ((int)(sizeof conversions / sizeof conversions[0]))

static char long_text[LONG_TEXT];
static FILE *record;

/* One case formatted one way: into text (BY_SNPRINTF), in the text window (BY_PRINTF) or on the
 * graphics window at row `row` (BY_PRINTF_AT). Surplus arguments are ignored by every format. */
#define FORMAT(...)                                                                            \
    (way == BY_SNPRINTF ? snprintf(text, size, __VA_ARGS__)                                       \
     : way == BY_PRINTF ? ZAVOK_printf(__VA_ARGS__)                                               \
                     : ZAVOK_printf_at(COLOR_BLACK, -290, 236 - 17 * row, 13, __VA_ARGS__))

static int format(const struct conversion *c, enum way way, char *text, size_t size, int row) {
    const int i = (int)c->integer;
    const size_t z = (size_t)c->integer;
    const long long n = c->integer;
    const double d = (double)c->real;
    const long double l = c->real;
    const wchar_t *const wide = L"wide";
    switch (c->kind) {
        case AS_INT: return FORMAT(c->format, i, i, i, i, i, i, i);
        case AS_LONG_LONG: return FORMAT(c->format, n, n, n, n);
        case AS_SIZE: return FORMAT(c->format, z, z, z, z);
        case AS_DOUBLE: return FORMAT(c->format, d, d, d, d, d, d);
        case AS_LONG_DOUBLE: return FORMAT(c->format, l, l, l, l);
        case AS_STRING: return FORMAT(c->format, "abcdef", "abcdef", "abcdef", "abcdef");
        case AS_LONG_STRING: return FORMAT(c->format, long_text);
        case AS_WIDE_STRING: return FORMAT(c->format, wide, wide, wide);
        case AS_POINTER: return FORMAT(c->format, (void *)record, (void *)&row);
        case AS_STARS: return FORMAT(c->format, i, 77, i, -77, i, d, 12, i, d);
    }
    return 0;
}

static void print_page(int page) {
    int i;
    for (i = page * PAGE; i < COUNT && i < (page + 1) * PAGE; ++i) {
        char expected[1024];
        const int made = format(&conversions[i], BY_SNPRINTF, expected, sizeof expected, i);
        const int returned = format(&conversions[i], BY_PRINTF, NULL, 0, i);
        fprintf(record, "printf %d %d %s\n", returned, made, expected);
    }
}

/* with_text: snprintf's texts drawn by ZAVOK_text; else the cases by ZAVOK_printf_at. */
static void draw_cases(int with_text) {
    int i;
    ZAVOK_clear();
    for (i = 0; i < COUNT; ++i) {
        char expected[1024];
        const int made = format(&conversions[i], BY_SNPRINTF, expected, sizeof expected, i);
        if (with_text) {
            ZAVOK_text(COLOR_BLACK, -290, 236 - 17 * i, 13, expected);
        } else {
            const int returned = format(&conversions[i], BY_PRINTF_AT, NULL, 0, i);
            fprintf(record, "printf_at %d %d %s\n", returned, made, expected);
        }
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int page = 0, x, y;
    char key;

    memset(long_text, 'a', LONG_TEXT - 1);
    record = fopen("formats.txt", "w");
    if (record == NULL) return 1;
    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_logging(0);
    draw_cases(0);
    print_page(page);
    while (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) {
        if (++page == 1) draw_cases(1);
        print_page(page);
        fflush(record);
    }
    fclose(record);
    ZAVOK_close();
    return 0;
}
