/* A ZAVOK program to start from: it draws a small scene, puts a dot wherever you click, and
 * ends when you type q, choose Quit in the Run menu (Ctrl+Q) or close the window.
 * Copy this folder, then change draw_scene and the event loop to make the program yours. */
#include <zavok.h>

/* The whole picture. World coordinates: (0, 0) is the middle of the window, x grows to the
 * right and y upward, one unit per pixel; the window shows about x -297..297, y -247..248. */
static void draw_scene(void) {
    ZAVOK_clear();                                                 /* white, with a thin black frame */
    ZAVOK_rectangle(COLOR_ICE_BLUE, -290, 240, 290, -60, 0);       /* sky (width 0: filled) */
    ZAVOK_rectangle(COLOR_FOREST_GREEN, -290, -60, 290, -240, 0);  /* grass */
    ZAVOK_circle(COLOR_GOLD, 200, 160, 40);                        /* the sun: always filled */
    /* (x, y) of a text is the bottom-left corner of its box; 20 is its height in pixels. */
    ZAVOK_text(COLOR_WHITE, -270, -220, 20, "Click to draw; c clears, q quits.");
}

/* WinMain, not main: it is the entry of a windowed program with every compiler the SDK serves,
 * and it hands over the four values ZAVOK_open wants. MinGW would start a main too, but Visual
 * Studio's linker looks for WinMain in a windowed program (CMake's WIN32). */
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int event, x, y;
    char key;

    ZAVOK_open(instance, previous, command_line, show);
    /* Logging starts on: every drawing call would print a line in the "ZAVOK Text" window.
     * Ctrl+L in the Run menu switches it back on while the program runs. */
    ZAVOK_logging(0);
    draw_scene();

    /* Each wait shows what was drawn so far and returns one event: a click (x, y), a typed
     * character (key), a tick while animation runs (Ctrl+A), or the request to quit. */
    do {
        event = ZAVOK_await_event(&x, &y, &key);
        if (event == ZAVOK_MOUSE) {
            ZAVOK_circle(COLOR_RED, x, y, 8);
        } else if (event == ZAVOK_KBD && key == 'c') {
            draw_scene();
        } else if (event == ZAVOK_KBD && key == 'q') {
            break;
        }
    } while (event != ZAVOK_QUIT);

    ZAVOK_close();
    return 0;
}
