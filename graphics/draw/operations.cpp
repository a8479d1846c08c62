// PLACEHOLDER until the drawing operations land.
#include "zavok.h"

#include "draw_internal.h"

int ZAVOK_pixel(int, int, int) { return 1; }
int ZAVOK_circle(int, int, int, int) { return 1; }
int ZAVOK_triangle(int, int, int, int, int, int, int, int) { return 1; }
int ZAVOK_rectangle(int, int, int, int, int, int) { return 1; }
int ZAVOK_oval(int, int, int, int, int, int) { return 1; }
int ZAVOK_line(int, int, int, int, int, int) { return 1; }
int ZAVOK_text(int, int, int, int, const char *) { return 1; }
int ZAVOK_printf_at(int, int, int, int, const char *, ...) { return 0; }
int ZAVOK_clear(void) { return 1; }
int ZAVOK_undo(void) { return 1; }
void render_command(const DrawCommand &) {}
void clear_surface() {}
