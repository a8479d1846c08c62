/* Reads the lines of a ZAVOK program's "ZAVOK Text" window from another process of the same
 * (Wine) session, without any help from the program: the window's pixels are copied from its
 * device context and each character cell is matched against glyphs rendered here with the same
 * stock fixed font.
 *
 * What can be read is what the window shows: a window that is hidden paints nothing, so it
 * must be shown first (zavok_text_show), and that is a change the program can see (its text
 * window is visible, so ZAVOK_printf paints and ZAVOK_show_text reports it visible, and it may
 * be moved and made shorter to clear the graphics window). Lines
 * wider than the window read only as far as whole cells are visible; spaces at the end of a
 * line and empty lines above the first printed one cannot be told from the empty window and are
 * left out; characters whose glyphs look the same (a space and a no-break space, say) read as
 * the lowest of their codes. */
#ifndef ZAVOK_TEXT_READER_H
#define ZAVOK_TEXT_READER_H

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

enum zavok_text_status {
    ZAVOK_TEXT_OK = 0,
    ZAVOK_TEXT_NO_WINDOW = 1,  /* no such window, or it went away */
    ZAVOK_TEXT_HIDDEN = 2,     /* the window is hidden: it shows no lines */
    ZAVOK_TEXT_TIMEOUT = 3,    /* the program did not come back to its message loop in time */
    ZAVOK_TEXT_FAILED = 4      /* a GDI call failed, or the output buffer is too small */
};

/* The first top-level "ZAVOK Text" window (class TextWndClass) of the session, or NULL. */
HWND zavok_text_find_window(void);

/* Shows a hidden text window without activating it and waits, at most timeout_ms, until the
 * program has repainted it. Where it would overlap clear_of (a screen rectangle, may be NULL:
 * the graphics window's), its top edge is moved down to clear_of's bottom, its bottom edge
 * kept: overlapping windows read black where they overlap. *was_hidden (may be NULL) tells
 * whether it had to be shown. */
int zavok_text_show(HWND window, const RECT *clear_of, DWORD timeout_ms, int *was_hidden);

/* Waits, at most timeout_ms, until the program is back in its message loop (so every line it
 * printed is painted), then reads the window's lines, top to bottom, into out as UTF-8, each
 * line ended by '\n' and the whole NUL-terminated. Lines that reach above client row top_row
 * are left out (another window covers those rows, whose pixels then cannot be read). *uncertain
 * (may be NULL) gets the number of cells whose pixels no rendering of the lines read could
 * reproduce exactly. */
int zavok_text_read(HWND window, DWORD timeout_ms, int top_row, char *out, size_t out_size, int *uncertain);

/* The same, from the window's client area given as pixels (width x height, row by row from the
 * top, 0x00RRGGBB each: as a 32-bit DIB or the X server's 24-bit visual hold them) rather than
 * copied from the window. */
int zavok_text_read_pixels(const uint32_t *pixels, int width, int height, int top_row, char *out, size_t out_size,
                           int *uncertain);

/* Fills same[c] for every code c of the ANSI code page with the lowest code whose glyph in the
 * stock fixed font looks exactly like c's (c itself when none does): what a cell of c reads as.
 * Returns ZAVOK_TEXT_OK or ZAVOK_TEXT_FAILED. */
int zavok_text_glyph_classes(unsigned char same[256]);

#ifdef __cplusplus
}
#endif

#endif
