// Helpers for tests that drive the package's real windows on the test's own thread.
#pragma once

#include <windows.h>

#include <string>

// Posts input to the graphics window as the window system would deliver it.
void post_click(int client_x, int client_y);
void post_char(char character);
void post_key(UINT message, WPARAM key_code);

// Posts a click after `delay_ms` from inside the next wait's message pump (a thread timer),
// so a wait that nothing else ends still ends, and a test can tell which event came first.
void post_click_later(UINT delay_ms, int client_x, int client_y);

// Dispatches every message already queued, then brings the package's event, animation and
// script flags back to their start values, so each test begins from a quiet window.
void reset_package();

// Reads a whole file; empty when it does not exist.
std::string read_file(const char *name);
bool file_exists(const char *name);
