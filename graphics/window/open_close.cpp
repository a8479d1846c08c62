// Start-up and shutdown of the package's windows, surface and timer.
#include "zavok.h"

#include "../console/console_internal.h"
#include "../draw/draw_internal.h"
#include "../script/script_internal.h"
#include "window_internal.h"

HWND graphics_window = nullptr;
HWND text_window = nullptr;
HINSTANCE program_instance = nullptr;
HDC window_dc = nullptr;
HDC surface_dc = nullptr;
int origin_x = 0;
int origin_y = 0;
int surface_dirty = 1;

namespace {

constexpr UINT CLASS_STYLE = CS_HREDRAW | CS_VREDRAW;
constexpr DWORD GRAPHICS_STYLE = WS_CAPTION | WS_SYSMENU;

void register_class(const char *name, WNDPROC procedure, HINSTANCE instance, HBRUSH background) {
    WNDCLASSA window_class = {};
    window_class.style = CLASS_STYLE;
    window_class.lpfnWndProc = procedure;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = 0;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = background;
    window_class.lpszMenuName = "generic";  // no such menu resource: neither window gets a class menu
    window_class.lpszClassName = name;
    RegisterClassA(&window_class);
}

}  // namespace

int ZAVOK_open(HINSTANCE instance, HINSTANCE previous, LPSTR /*command_line*/, int show) {
    if (previous == nullptr) {
        // One white brush, shared by both classes for the life of the process.
        const HBRUSH background = CreateSolidBrush(color_values[COLOR_WHITE]);
        register_class(ZAVOK_GRAPHICS_CLASS, graphics_window_proc, instance, background);
        register_class(ZAVOK_TEXT_CLASS, text_window_proc, instance, background);
    }
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);

    single_step_pending = false;
    animation_running = false;

    graphics_window = CreateWindowExA(0, ZAVOK_GRAPHICS_CLASS, ZAVOK_GRAPHICS_TITLE, GRAPHICS_STYLE, 0, 0, SURFACE_WIDTH,
                                      SURFACE_HEIGHT, nullptr, nullptr, instance, nullptr);
    text_window = CreateWindowExA(0, ZAVOK_TEXT_CLASS, ZAVOK_TEXT_TITLE, WS_OVERLAPPEDWINDOW, 0,
                                  (2 * screen_height) / 3 + 1, screen_width, screen_height / 3, nullptr, nullptr,
                                  instance, nullptr);
    program_instance = instance;

    window_dc = GetDC(graphics_window);
    const HBITMAP surface = CreateCompatibleBitmap(window_dc, SURFACE_WIDTH, SURFACE_HEIGHT);
    surface_dc = CreateCompatibleDC(window_dc);
    SelectObject(surface_dc, surface);

    ShowWindow(text_window, show);
    ShowWindow(graphics_window, show);
    SetTimer(graphics_window, PERIODIC_TIMER_ID, PERIODIC_TIMER_MS, nullptr);
    return 1;
}

int ZAVOK_close(void) {
    ReleaseDC(graphics_window, window_dc);
    script_close();
    return 1;
}
