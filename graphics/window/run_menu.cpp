// The Run menu, its commands and the Ctrl+letter accelerators.
#include "zavok.h"

#include "../console/console_internal.h"
#include "../script/script_internal.h"
#include "window_internal.h"

HMENU run_menu = nullptr;
bool logging_enabled = true;

namespace {

void set_check(int id, bool checked) { CheckMenuItem(run_menu, id, checked ? MF_CHECKED : MF_UNCHECKED); }

void toggle_recording() {
    if (script_recording) {
        script_stop_recording();
    } else {
        script_start_recording();
    }
}

void toggle_playback() {
    if (script_playing) {
        script_playing = false;
        set_check(RUN_PLAYBACK, false);
        script_close();
    } else {
        animation_running = false;
        single_step_pending = false;
        script_playing = true;  // the file is opened by the first read
        set_check(RUN_PLAYBACK, true);
    }
}

}  // namespace

void build_run_menu(HWND window) {
    const HMENU bar = CreateMenu();
    run_menu = CreatePopupMenu();
    AppendMenuA(run_menu, MF_STRING, RUN_ANIMATE, "&Animate\tCtrl+A");
    AppendMenuA(run_menu, MF_STRING, RUN_HALT, "&Halt animation\tCtrl+H");
    AppendMenuA(run_menu, MF_STRING, RUN_FRAME, "Advance one &frame\tCtrl+F");
    AppendMenuA(run_menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(run_menu, MF_STRING | MF_CHECKED, RUN_LOGGING, "&Logging\tCtrl+L");
    AppendMenuA(run_menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(run_menu, MF_STRING, RUN_RECORD, "&Record Script\tCtrl+R");
    AppendMenuA(run_menu, MF_STRING, RUN_PLAYBACK, "&Playback Script\tCtrl+P");
    AppendMenuA(run_menu, MF_STRING, RUN_PLAY_ONE, "Play &One Script\tCtrl+O");
    AppendMenuA(run_menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(run_menu, MF_STRING, RUN_QUIT, "&Quit\tCtrl+Q");
    AppendMenuA(run_menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(run_menu, MF_GRAYED, RUN_INFO, "ZAVOK v2.2 July 1997");
    AppendMenuA(run_menu, MF_GRAYED, RUN_INFO, "Windows, drawing and events for small programs");
    AppendMenuA(run_menu, MF_GRAYED, RUN_INFO, "Scripts are kept in " ZAVOK_SCRIPT_FILE);
    AppendMenuA(run_menu, MF_GRAYED, RUN_INFO, "Ctrl+letter works in both windows");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(run_menu), "&Run");
    SetMenu(window, bar);
    DrawMenuBar(window);
}

void run_command(int id) {
    switch (id) {
        case RUN_ANIMATE:
            animation_running = true;
            break;
        case RUN_HALT:
            animation_running = false;
            break;
        case RUN_FRAME:
            animation_running = false;
            single_step_pending = true;
            break;
        case RUN_LOGGING:
            logging_enabled = !logging_enabled;
            set_check(RUN_LOGGING, logging_enabled);
            break;
        case RUN_RECORD:
            toggle_recording();
            break;
        case RUN_PLAYBACK:
            toggle_playback();
            break;
        case RUN_PLAY_ONE:
            script_play_one = true;
            animation_running = false;
            single_step_pending = false;
            break;
        case RUN_QUIT:
            PostQuitMessage(0);
            break;
        default:
            break;
    }
}

void accelerator_key(int key_code) {
    if (ctrl_down == 0) return;
    switch (key_code) {
        case 'A': case 'a': run_command(RUN_ANIMATE); break;
        case 'H': case 'h': run_command(RUN_HALT); break;
        case 'F': case 'f': run_command(RUN_FRAME); break;
        case 'L': case 'l': run_command(RUN_LOGGING); break;
        case 'R': case 'r': run_command(RUN_RECORD); break;
        case 'P': case 'p': run_command(RUN_PLAYBACK); break;
        case 'O': case 'o': run_command(RUN_PLAY_ONE); break;
        case 'Q': case 'q': run_command(RUN_QUIT); break;
        default: break;
    }
}

int ZAVOK_logging(int on) {
    if (graphics_window == nullptr) return 0;
    logging_enabled = on != 0;
    set_check(RUN_LOGGING, logging_enabled);
    if (logging_enabled) ZAVOK_show_text(1);
    return 1;
}
