// The event wait loop and animation control.
#include "zavok.h"

#include "../script/script_internal.h"
#include "window_internal.h"

#include <cstdint>

int pending_event = NO_EVENT;
int event_x = 0;
int event_y = 0;
char event_key = 0;
bool animation_running = false;
bool single_step_pending = false;
int timer_ticked = 0;
bool quit_requested = false;
int ctrl_down = 0;

namespace {

// Longest sleep of an idle wait; only a safety net, since any queued message wakes it.
constexpr DWORD IDLE_WAIT_LIMIT_MS = 1000;

bool waiting_goes_on() {
    return pending_event == NO_EVENT || (pending_event == ZAVOK_PERIODIC && timer_ticked == 0);
}

}  // namespace

// Takes at most one message and dispatches it; copies a changed surface to the window.
// Returns whether a message was taken.
bool pump_one_message() {
    MSG message;
    const bool took_message = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0;
    if (took_message && message.message == WM_QUIT) {
        pending_event = ZAVOK_QUIT;
        return true;
    }
    if (took_message) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (surface_dirty) copy_surface_to_window();
    return took_message;
}

namespace {

void record_event() {
    if (pending_event == ZAVOK_PERIODIC) {
        // A run played from a huge PERIODIC line may already stand at the limit.
        if (periodic_count < INT32_MAX) periodic_count += 1;
        return;
    }
    if (periodic_count > 0) {
        script_write_event(ZAVOK_PERIODIC, event_x, event_y, event_key);
        periodic_count = 0;
    }
    // A refused open for the run's line has ended the recording: the event is not tried.
    if (script_recording) script_write_event(pending_event, event_x, event_y, event_key);
}

}  // namespace

int ZAVOK_await_event(int *x, int *y, char *key) {
    pending_event = NO_EVENT;
    event_key = 0;
    event_y = 0;
    event_x = 0;

    do {
        const bool took_message = pump_one_message();

        // A quit taken from the queue ends the wait as it is: the message is gone from the
        // queue, so a played event put in its place would lose the user's request for good.
        if (pending_event != ZAVOK_QUIT && (script_play_one || script_playing)) {
            script_play_one = false;
            if (script_play_next() == 1) break;
            script_stop_playback();
        }

        if ((single_step_pending || animation_running) && pending_event == NO_EVENT) {
            pending_event = ZAVOK_PERIODIC;
            timer_ticked = 0;
            single_step_pending = false;
        }

        // Sleep until the next message instead of polling an empty queue: the next pass
        // would find nothing to do before a message (a tick, input, a repaint) arrives.
        if (!took_message && !script_play_one && !script_playing && waiting_goes_on()) {
            MsgWaitForMultipleObjectsEx(0, nullptr, IDLE_WAIT_LIMIT_MS, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    } while (waiting_goes_on());

    if (script_recording) record_event();

    if (x != nullptr) *x = event_x;
    if (y != nullptr) *y = event_y;
    if (key != nullptr) *key = event_key;
    return quit_requested ? ZAVOK_QUIT : pending_event;
}

int ZAVOK_animate(int action) {
    if (graphics_window == nullptr) return 0;
    switch (action) {
        case ANIMATE_HALT:
            single_step_pending = false;
            animation_running = false;
            break;
        case ANIMATE_STEP:
            single_step_pending = true;
            break;
        case ANIMATE_RUN:
            animation_running = true;
            break;
        case ANIMATE_QUIT:
            quit_requested = true;
            break;
        default:
            break;
    }
    return 1;
}
