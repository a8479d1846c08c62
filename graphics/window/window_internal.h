// Windows and events: the package state that the other subsystems (and the tests) share.
#pragma once

#include "zavok_ids.h"

#include <windows.h>

#include <cstdint>

constexpr int SURFACE_WIDTH = ZAVOK_SURFACE_WIDTH;
constexpr int SURFACE_HEIGHT = ZAVOK_SURFACE_HEIGHT;
constexpr UINT_PTR PERIODIC_TIMER_ID = 2;
constexpr UINT PERIODIC_TIMER_MS = 100;
constexpr int NO_EVENT = -1;

// Run menu command ids; the id is what WM_COMMAND carries.
enum RunCommand {
    RUN_ANIMATE = ZAVOK_RUN_ANIMATE,
    RUN_HALT = ZAVOK_RUN_HALT,
    RUN_FRAME = ZAVOK_RUN_FRAME,
    RUN_LOGGING = ZAVOK_RUN_LOGGING,
    RUN_RECORD = ZAVOK_RUN_RECORD,
    RUN_PLAYBACK = ZAVOK_RUN_PLAYBACK,
    RUN_PLAY_ONE = ZAVOK_RUN_PLAY_ONE,
    RUN_QUIT = ZAVOK_RUN_QUIT,
    RUN_INFO = ZAVOK_RUN_INFO
};

// ---- Start-up, windows and shutdown ----
extern HWND graphics_window;  // null until ZAVOK_open
extern HWND text_window;
extern HINSTANCE program_instance;
extern HDC window_dc;   // the graphics window's client area, held open for the whole run
extern HDC surface_dc;  // memory context holding the drawing surface
extern int origin_x;    // client-area position of the world origin
extern int origin_y;
extern int surface_dirty;  // the surface has changed since it was last copied to the window

// World point to client (= surface) pixel and back.
inline int client_x(int x) { return origin_x + x; }
inline int client_y(int y) { return origin_y - y; }
inline int world_x(int cx) { return cx - origin_x; }
inline int world_y(int cy) { return origin_y - cy; }

// ---- Event wait loop and animation ----
extern int pending_event;  // kind of the event that ends the current wait, NO_EVENT while none
extern int event_x;
extern int event_y;
extern char event_key;
extern bool animation_running;
extern bool single_step_pending;
extern int timer_ticked;
extern bool quit_requested;
extern int ctrl_down;

// Takes and dispatches at most one queued message; tells whether there was one.
bool pump_one_message();

// ---- The graphics window's procedure and client area ----
LRESULT CALLBACK graphics_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void update_origin(HWND window);
void copy_surface_to_window();

// ---- Run menu and accelerators ----
extern HMENU run_menu;
extern bool logging_enabled;  // drawing calls print their log line

void build_run_menu(HWND window);
void run_command(int id);
void accelerator_key(int key_code);
