/*
 * zavok.h - ZAVOK, a small graphics package for the Windows desktop.
 *
 * A program gets two windows: "ZAVOK Graphics" (601 x 540, with a Run menu) and
 * "ZAVOK Text" (a scrolling log along the bottom third of the screen). It draws in world
 * coordinates, origin at the centre of the graphics window's client area, x to the right,
 * y upward, one unit per pixel, and waits for events with ZAVOK_await_event.
 *
 * Drawing calls never refuse an argument: a bad colour becomes red, a negative radius,
 * width or point size its magnitude, a point size above 127 becomes 127, and each
 * correction prints a one-line notice in the text window. While logging is on (Run menu
 * or ZAVOK_logging) every drawing call also prints a line describing itself.
 *
 * Usable from C and C++. All calls must come from the thread that called ZAVOK_open.
 */
#ifndef ZAVOK_H
#define ZAVOK_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A program linked with zavok.dll defines ZAVOK_DLL (CMake's zavok::shared does it, and a
 * Visual Studio program gets zavok::shared as zavok::zavok); the static library needs nothing. */
#if defined(ZAVOK_DLL)
#define ZAVOK_API __declspec(dllimport)
#else
#define ZAVOK_API
#endif

/* Lets GCC, and clang-cl, check the arguments of the formatted calls against their format.
 * MSVC's analyser (/analyze) checks them through the annotation of the formatting functions at
 * the end of this file, which an MSVC program calls. */
#if defined(__GNUC__) && !defined(__clang__)
#define ZAVOK_FORMAT(format_index, first_arg) __attribute__((format(gnu_printf, format_index, first_arg)))
#elif defined(__clang__) && defined(_MSC_VER)
#define ZAVOK_FORMAT(format_index, first_arg) __attribute__((format(printf, format_index, first_arg)))
#else
#define ZAVOK_FORMAT(format_index, first_arg)
#endif

/* Event kinds returned by ZAVOK_await_event. */
enum {
    ZAVOK_MOUSE = 1,    /* left button pressed in the graphics window; x, y = world point, key 0 */
    ZAVOK_KBD = 2,      /* character typed (Ctrl not held); x = y = 0, key = the character */
    ZAVOK_PERIODIC = 3, /* timer tick while animation runs, or one single step; x = y = key = 0 */
    ZAVOK_QUIT = 4      /* the program is asked to end */
};

/* Actions of ZAVOK_animate. */
enum {
    ANIMATE_HALT = 0, /* stop periodic events and drop a pending single step */
    ANIMATE_STEP = 1, /* deliver one periodic event at the next tick */
    ANIMATE_RUN = 2,  /* deliver a periodic event at every tick (100 ms) */
    ANIMATE_QUIT = 5  /* make every later ZAVOK_await_event return ZAVOK_QUIT */
};

/* The 24 palette colours (colour indices), and how many there are. */
enum {
    COLOR_BLACK = 0,
    COLOR_WHITE = 1,
    COLOR_RED = 2,
    COLOR_GREEN = 3,
    COLOR_BLUE = 4,
    COLOR_YELLOW = 5,
    COLOR_MAGENTA = 6,
    COLOR_CYAN = 7,
    COLOR_PURPLE = 8,
    COLOR_NAVY_BLUE = 9,
    COLOR_DUSTY_PLUM = 10,
    COLOR_ICE_BLUE = 11,
    COLOR_TURQUOISE = 12,
    COLOR_ORANGE = 13,
    COLOR_BROWN = 14,
    COLOR_PINK = 15,
    COLOR_CHALK = 16,
    COLOR_GOLD = 17,
    COLOR_PEACH = 18,
    COLOR_FOREST_GREEN = 19,
    COLOR_SEA_GREEN = 20,
    COLOR_OLIVE = 21,
    COLOR_GRAY_50 = 22,
    COLOR_GRAY_20 = 23,
    COLOR_COUNT = 24 /* not a colour: the valid indices are 0 to COLOR_COUNT - 1 */
};

/* ---- Windows and events ---------------------------------------------------------- */

/* Opens both windows, the off-screen surface and the 100 ms timer; pass WinMain's four values. Returns 1. */
ZAVOK_API int ZAVOK_open(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);
/* Ends the package after the last wait: releases the window's drawing context, closes the script file. Returns 1. */
ZAVOK_API int ZAVOK_close(void);
/* Waits for one event and returns its kind; writes its world x, y and character (0 where unused) on every return. */
ZAVOK_API int ZAVOK_await_event(int *x, int *y, char *key);
/* Runs, halts or single-steps periodic events, or asks for quit (ANIMATE_*); unknown actions do nothing. Returns 0 before ZAVOK_open, else 1. */
ZAVOK_API int ZAVOK_animate(int action);
/* Switches the log line of every drawing call on (non-zero, which also shows the text window) or off. Returns 0 before ZAVOK_open, else 1. */
ZAVOK_API int ZAVOK_logging(int on);

/* ---- Drawing (world coordinates; colour first) ------------------------------------ */
/* Each call paints the off-screen surface at once; the window shows it at the next ZAVOK_await_event. */

/* Sets one pixel. Returns 1. */
ZAVOK_API int ZAVOK_pixel(int color, int x, int y);
/* Draws a filled disc 2 * radius + 1 pixels across; a negative radius is made positive. Returns 1. */
ZAVOK_API int ZAVOK_circle(int color, int x, int y, int radius);
/* Draws a triangle, outlined `width` pixels wide or filled when width is 0; a negative width is made positive. Returns 1. */
ZAVOK_API int ZAVOK_triangle(int color, int x1, int y1, int x2, int y2, int x3, int y3, int width);
/* Draws a rectangle covering both corners, outlined or filled (width 0); corners may come in any order. Returns 1. */
ZAVOK_API int ZAVOK_rectangle(int color, int x1, int y1, int x2, int y2, int width);
/* Draws the oval inscribed in the box of both corners, outlined or filled (width 0). Returns 1. */
ZAVOK_API int ZAVOK_oval(int color, int x1, int y1, int x2, int y2, int width);
/* Draws a line `width` pixels wide (0 gives the thinnest); a thin line leaves out its end point. Returns 1. */
ZAVOK_API int ZAVOK_line(int color, int x1, int y1, int x2, int y2, int width);
/* Draws text with the bottom-left corner of its first line's box at (x, y): not the baseline, the box holds the descenders; `ptsize` pixels high (0..127, corrected; 0 is the default height); '\n' starts a new line below. Returns 1. */
ZAVOK_API int ZAVOK_text(int color, int x, int y, int ptsize, const char *text);
/* ZAVOK_text of a printf-formatted text cut to 1023 characters; returns the formatted length before cutting. */
ZAVOK_API int ZAVOK_printf_at(int color, int x, int y, int ptsize, const char *format, ...) ZAVOK_FORMAT(5, 6);
/* Paints the whole surface white inside a one-pixel black frame at its outermost edges. Returns 1. */
ZAVOK_API int ZAVOK_clear(void);
/* No longer supported: prints a notice and draws nothing. Returns 1. */
ZAVOK_API int ZAVOK_undo(void);

/* ---- Text console ------------------------------------------------------------------ */

/* Prints one printf-formatted line (cut to 1023 characters) at the bottom of the text window; returns the formatted length before cutting. */
ZAVOK_API int ZAVOK_printf(const char *format, ...) ZAVOK_FORMAT(1, 2);
/* Shows (non-zero) or hides (0) the text window; returns non-zero if it was visible before. */
ZAVOK_API int ZAVOK_show_text(int show);
/* Asks for a line in a modal dialog showing the prompt's first 79 characters, until the user presses Okay (no events meanwhile);
   copies at most 255 characters and a NUL into buffer (256 bytes or more; NULL discards the answer). Returns 1, or 0 if the dialog could not be shown. */
ZAVOK_API int ZAVOK_gets(const char *prompt, char *buffer);

#ifdef __cplusplus
}
#endif

/* ---- Formatting in an MSVC program ------------------------------------------------- */
/* The package formats with MinGW's C runtime, which reads a variable argument list as MinGW lays
 * it out: MSVC's long double is a plain double (so "%Lf" would read past it), and its runtime
 * writes some conversions its own way ("%p", "%e" exponents). So in a program of Visual Studio's
 * compiler or clang-cl, ZAVOK_printf and ZAVOK_printf_at format in the program's own runtime,
 * into the same 1024 characters, and hand over the finished text: the program gets what its own
 * printf makes, and the count its own vsnprintf returns. */
#if defined(_MSC_VER) && !defined(ZAVOK_BUILD)
#include <sal.h>
#include <stdarg.h>
#include <stdio.h>

/* The text cut to 1023 characters, as the package cuts it; empty for a null format (count 0) or
 * a formatting error (the runtime's negative count). */
static __inline int zavok_msvc_format(char *text, size_t size, const char *format, va_list arguments) {
    int count = 0;
    text[0] = '\0';
    if (format != NULL) {
        count = vsnprintf(text, size, format, arguments);
        if (count < 0) text[0] = '\0';
    }
    return count;
}

static __inline ZAVOK_FORMAT(1, 2) int zavok_msvc_printf(_Printf_format_string_ const char *format, ...) {
    char text[1024];
    int count;
    va_list arguments;
    va_start(arguments, format);
    count = zavok_msvc_format(text, sizeof text, format, arguments);
    va_end(arguments);
    (ZAVOK_printf)("%s", text); /* a pointer crosses between the two runtimes unchanged */
    return count;
}

static __inline ZAVOK_FORMAT(5, 6) int zavok_msvc_printf_at(int color, int x, int y, int ptsize,
                                                           _Printf_format_string_ const char *format, ...) {
    char text[1024];
    int count;
    va_list arguments;
    va_start(arguments, format);
    count = zavok_msvc_format(text, sizeof text, format, arguments);
    va_end(arguments);
    ZAVOK_text(color, x, y, ptsize, text);
    return count;
}

#define ZAVOK_printf(...) zavok_msvc_printf(__VA_ARGS__)
#define ZAVOK_printf_at(...) zavok_msvc_printf_at(__VA_ARGS__)
#endif

#endif /* ZAVOK_H */
