// The graphics window procedure: turns the window system's messages into events; and the
// window's client area kept in step with the surface (its origin, its pixels).
#include "zavok.h"

#include "window_internal.h"

namespace {

void end_of_window(HWND window) {
    KillTimer(window, PERIODIC_TIMER_ID);
    PostQuitMessage(0);
}

void paint(HWND window) {
    PAINTSTRUCT paint_info;
    BeginPaint(window, &paint_info);
    copy_surface_to_window();  // the whole surface, whatever part is invalid
    EndPaint(window, &paint_info);
}

}  // namespace

void update_origin(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    origin_x = (client.right - client.left) / 2 + client.left;
    origin_y = (client.bottom - client.top) / 2 + client.top;
}

void copy_surface_to_window() {
    BitBlt(window_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, surface_dc, 0, 0, SRCCOPY);
    surface_dirty = 0;
}

LRESULT CALLBACK graphics_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            build_run_menu(window);
            return 0;
        case WM_DESTROY:
        case WM_QUIT:
            end_of_window(window);
            return 0;
        case WM_SIZE:
            update_origin(window);
            return 0;
        case WM_PAINT:
            paint(window);
            return 0;
        case WM_KEYDOWN:
            if (wparam == VK_CONTROL)
                ctrl_down = 1;
            else
                accelerator_key(static_cast<int>(wparam));
            return 0;
        case WM_KEYUP:
            if (wparam == VK_CONTROL) ctrl_down = 0;
            return 0;
        case WM_CHAR:
            if (ctrl_down != 1) {
                pending_event = ZAVOK_KBD;
                event_key = static_cast<char>(wparam & 0xFF);
            }
            return 0;
        case WM_COMMAND:
            run_command(static_cast<int>(LOWORD(wparam)));
            return 0;
        case WM_TIMER:
            timer_ticked = 1;
            return 0;
        case WM_LBUTTONDOWN:
            pending_event = ZAVOK_MOUSE;
            // Client coordinates as unsigned 16-bit values, as the message packs them.
            event_x = world_x(static_cast<int>(LOWORD(lparam)));
            event_y = world_y(static_cast<int>(HIWORD(lparam)));
            return 0;
        case WM_ACTIVATEAPP:
            // A Ctrl key released while another program has the focus never reaches us.
            if (wparam == FALSE) ctrl_down = 0;
            break;
        case WM_SETFOCUS:
            // Nor does one released in the line-input dialog or an open menu.
            ctrl_down = (GetKeyState(VK_CONTROL) & 0x8000) != 0 ? 1 : 0;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
