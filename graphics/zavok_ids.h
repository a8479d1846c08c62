/* What a program outside the package relies on to find and drive a ZAVOK program: the windows'
 * classes and titles, the Run menu's command ids (what WM_COMMAND carries), the script file's
 * name and the graphics window's size. The package, the replay helper and the test drivers
 * include this header; the Python tools read its #define lines (zavokreplay/constants.py), so
 * every value here stays a plain literal, one per line. Not installed: programs written on the
 * package need none of it. */
#ifndef ZAVOK_IDS_H
#define ZAVOK_IDS_H

#define ZAVOK_GRAPHICS_CLASS "DrawWndClass"
#define ZAVOK_GRAPHICS_TITLE "ZAVOK Graphics"
#define ZAVOK_TEXT_CLASS "TextWndClass"
#define ZAVOK_TEXT_TITLE "ZAVOK Text"

/* The graphics window's outer size, which is also the drawing surface's size. */
#define ZAVOK_SURFACE_WIDTH 601
#define ZAVOK_SURFACE_HEIGHT 540

#define ZAVOK_SCRIPT_FILE "ZAVOK.SCR"

/* The face name every drawn text asks for; no system has it, so the machine's font substitutes
 * decide the typeface (tools/common.sh pins it, tools/font_check reports it). */
#define ZAVOK_FONT_FACE "ZAVOK-font"

#define ZAVOK_RUN_ANIMATE 1
#define ZAVOK_RUN_HALT 2
#define ZAVOK_RUN_FRAME 3
#define ZAVOK_RUN_LOGGING 4
#define ZAVOK_RUN_RECORD 5
#define ZAVOK_RUN_PLAYBACK 6
#define ZAVOK_RUN_PLAY_ONE 7
#define ZAVOK_RUN_QUIT 8
#define ZAVOK_RUN_INFO 9

#endif
