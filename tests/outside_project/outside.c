/* Opens the package, draws, asks to quit and closes: proves that an installed ZAVOK builds and
 * runs from a plain C program. Returns 0 when every call answered as documented. Built with
 * OUTSIDE_MAIN, it starts at main instead of WinMain, which the docs promise for MinGW. */
#include <zavok.h>

static int run(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    int failures = 0;
    int x, y;
    char key;

    if (ZAVOK_animate(ANIMATE_RUN) != 0) failures++; /* nothing is open yet */
    if (ZAVOK_open(instance, previous, command_line, show) != 1) failures++;
    ZAVOK_clear();
    ZAVOK_circle(COLOR_BLUE, 0, 0, 40);
    ZAVOK_printf("outside project: %d\n", 1);
    if (ZAVOK_animate(ANIMATE_QUIT) != 1) failures++;
    if (ZAVOK_animate(ANIMATE_RUN) != 1) failures++;
    /* Animation runs, so the next tick ends the wait, and the quit request makes it a quit. */
    if (ZAVOK_await_event(&x, &y, &key) != ZAVOK_QUIT) failures++;
    ZAVOK_close();
    return failures;
}

#ifdef OUTSIDE_MAIN
int main(void) {
    return run(GetModuleHandle(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT);
}
#else
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    return run(instance, previous, command_line, show);
}
#endif
