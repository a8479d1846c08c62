#include "test_support.h"

#include "../../graphics/script/script_internal.h"
#include "../../graphics/window/window_internal.h"

#include <cstdio>

namespace {

int later_x = 0;
int later_y = 0;

void CALLBACK click_timer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    post_click(later_x, later_y);
}

}  // namespace

void post_click(int client_x, int client_y) {
    PostMessageA(graphics_window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client_x, client_y));
}

void post_char(char character) {
    PostMessageA(graphics_window, WM_CHAR, static_cast<unsigned char>(character), 1);
}

void post_key(UINT message, WPARAM key_code) { PostMessageA(graphics_window, message, key_code, 1); }

void post_click_later(UINT delay_ms, int client_x, int client_y) {
    later_x = client_x;
    later_y = client_y;
    SetTimer(nullptr, 0, delay_ms, click_timer);
}

void reset_package() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    animation_running = false;
    single_step_pending = false;
    quit_requested = false;
    timer_ticked = 0;
    ctrl_down = 0;
    script_close();
    script_recording = false;
    script_playing = false;
    script_play_one = false;
    periodic_count = 0;
}

std::string read_file(const char *name) {
    std::string text;
    FILE *file = std::fopen(name, "rb");
    if (file == nullptr) return text;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
    std::fclose(file);
    return text;
}

bool file_exists(const char *name) {
    FILE *file = std::fopen(name, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}
