// A ZAVOK program run by the replay helper: started, its graphics window found, stepped one
// script event at a time, and told when it is done with the event.
#pragma once

#include <windows.h>

#include <string>

struct ProgramWindow {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

// A program of the session that crashes then ends at once, with the exception's code as its exit
// status: Wine's post-mortem debugger would keep it alive (showing a dialog that nobody answers)
// until the event's time-out, which would tell a crash from a hang no more. Only the session's
// own copy of the prefix is changed.
void no_crash_debugger();
// Each returns an empty string when done, otherwise a one-line reason.
std::string start_program(ProgramWindow &program, const std::string &path, DWORD timeout_ms);
enum class Back { painted, hung, ended };
// Waits until the program has copied its surface to the window after whatever it was doing and
// is back reading messages (see the .cpp for how that is known, and what it does not tell):
// `hung` when it is not back within the time, `ended` when its process has ended.
Back await_frame(const ProgramWindow &program, DWORD timeout_ms);
// Whether the program's process ends within the time.
bool await_end(const ProgramWindow &program, DWORD timeout_ms);
// The exit status of an ended program, whose handles are then let go.
DWORD ended_status(ProgramWindow &program);
// Ends the program at once.
void end_program(ProgramWindow &program);
// Gives the Run menu's Play One command (the same command as Ctrl+O).
std::string play_one(const ProgramWindow &program);
// The modal dialog the program shows (a visible "#32770" window of its process), or null.
HWND program_dialog(const ProgramWindow &program);
// The dialog's prompt: the text of its static controls, trailing spaces dropped.
std::string dialog_prompt(HWND dialog);
// Answers the dialog as its user would: types the text into its edit field and presses its
// default button.
std::string answer_dialog(HWND dialog, const std::string &text);
// The window's outer and client rectangles in desktop coordinates: "L T R B L T R B".
std::string window_rectangles(const ProgramWindow &program);
// Asks the program to quit (Run menu Quit) and waits for it; ends it if it does not. Gives its
// exit status, or -1 when it had to be ended.
int quit_program(ProgramWindow &program, DWORD timeout_ms);
bool program_running(const ProgramWindow &program);
