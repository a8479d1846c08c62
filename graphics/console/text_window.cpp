// PLACEHOLDER until the text console lands.
#include "zavok.h"

#include "../window/window_internal.h"
#include "console_internal.h"

MessageRing message_ring = {{}, -1, 0};

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}
void text_window_print_line(const char *) {}
int ZAVOK_printf(const char *, ...) { return 0; }
int ZAVOK_show_text(int show) { return ShowWindow(text_window, show ? SW_SHOW : SW_HIDE); }
