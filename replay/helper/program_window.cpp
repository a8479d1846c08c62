// Starting a ZAVOK program, stepping it and telling when it is done, from another process of the
// same Wine session.
//
// When is the program done with an event? Its wait loop takes one message per pass, and the
// window system makes a paint message only when no posted or input message is queued. So the
// helper posts the Play One command and then marks the client area invalid: the program takes
// the command first, plays the event, draws, and only in its next wait, with the queue empty,
// does it get the paint message, whose handler copies the whole surface to the window. Once the
// update region is empty again the program has reached that wait. The paint handler empties the
// region as it starts (BeginPaint), before the copy, so two message round trips follow, answered
// at later message reads of the program, after the paint handler has returned. A program that
// draws nothing after an event is no different: it still comes back to its wait and repaints.
// Only one that never comes back (busy, or hung) leaves the region invalid, and that is the
// bounded wait of `timeout_ms`; one whose window goes away is ending, and is waited for.
//
// The region is looked at after each message round trip rather than after a sleep: a sent
// message is answered at the program's next message read, which is the moment anything can have
// changed, so the helper waits no longer than the program works (a sleep of the shortest kind,
// 1 ms, cost a replay more than drawing its frame). What happens after "painted" on the other
// side is told in protocol.h.
#include "program_window.h"

#include "zavok_ids.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD WINDOW_POLL_MS = 5;  // how often a starting program is looked at for its window
constexpr DWORD END_TIMEOUT_MS = 2000;  // for the end of a terminated process

// A visible top-level window of the program's process of the class (and title) given. Windows
// are looked up by class in one request to the window system, so the helper's look for a
// dialog after every event costs next to nothing however many windows the desktop has.
HWND find_window(const ProgramWindow &program, const char *class_name, const char *title) {
    for (HWND window = FindWindowExA(nullptr, nullptr, class_name, nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, class_name, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != program.process.dwProcessId || !IsWindowVisible(window)) continue;
        char text[64] = {};
        if (title != nullptr && (GetWindowTextA(window, text, sizeof text), std::strcmp(text, title) != 0)) continue;
        return window;
    }
    return nullptr;
}

DWORD elapsed_since(DWORD start) { return GetTickCount() - start; }

// A message that does nothing, sent and answered: the program answers at its next message read.
bool round_trip(const ProgramWindow &program, DWORD start, DWORD timeout_ms) {
    DWORD_PTR answer = 0;
    const DWORD spent = elapsed_since(start);
    const UINT left = spent < timeout_ms ? static_cast<UINT>(timeout_ms - spent) : 1;
    return SendMessageTimeoutA(program.window, WM_NULL, 0, 0, SMTO_NORMAL, left, &answer) != 0;
}

DWORD left_of(DWORD start, DWORD timeout_ms) {
    const DWORD spent = elapsed_since(start);
    return spent < timeout_ms ? timeout_ms - spent : 0;
}

// A round trip failed: the program is busy or hung, or its window is gone and it is ending,
// which may take a moment (its last calls, the process's end), within what is left of the time.
Back why_no_answer(const ProgramWindow &program, DWORD start, DWORD timeout_ms) {
    if (program_running(program) && IsWindow(program.window)) return Back::hung;
    return WaitForSingleObject(program.process.hProcess, left_of(start, timeout_ms)) == WAIT_OBJECT_0 ? Back::ended
                                                                                                     : Back::hung;
}

void forget_process(ProgramWindow &program) {
    CloseHandle(program.process.hThread);
    CloseHandle(program.process.hProcess);
    program.process = {};
    program.window = nullptr;
}

}  // namespace

bool program_running(const ProgramWindow &program) {
    return program.process.hProcess != nullptr && WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT;
}

void no_crash_debugger() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    static const char none[] = "zavok-replay-has-no-debugger";
    RegSetValueExA(key, "Debugger", 0, REG_SZ, reinterpret_cast<const BYTE *>(none), sizeof none);
    RegCloseKey(key);
}

std::string start_program(ProgramWindow &program, const std::string &path, DWORD timeout_ms) {
    // The program's standard handles lead nowhere: under Wine they would otherwise be the
    // helper's own, and whatever the program writes would land among the helper's answers.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const HANDLE nowhere = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere;
    std::string command_line = "\"" + path + "\"";
    const BOOL started = CreateProcessA(path.c_str(), &command_line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &program.process);
    CloseHandle(nowhere);
    if (!started) return "cannot start " + path;
    const DWORD start = GetTickCount();
    for (;;) {
        program.window = find_window(program, ZAVOK_GRAPHICS_CLASS, ZAVOK_GRAPHICS_TITLE);
        if (program.window != nullptr) return "";
        if (!program_running(program)) return path + " ended without opening a \"" ZAVOK_GRAPHICS_TITLE "\" window";
        if (elapsed_since(start) > timeout_ms) return path + " opened no \"" ZAVOK_GRAPHICS_TITLE "\" window";
        Sleep(WINDOW_POLL_MS);
    }
}

Back await_frame(const ProgramWindow &program, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    InvalidateRect(program.window, nullptr, FALSE);
    while (GetUpdateRect(program.window, nullptr, FALSE)) {
        if (!round_trip(program, start, timeout_ms)) return why_no_answer(program, start, timeout_ms);
    }
    for (int trip = 0; trip < 2; ++trip) {
        if (!round_trip(program, start, timeout_ms)) return why_no_answer(program, start, timeout_ms);
    }
    return Back::painted;
}

bool await_end(const ProgramWindow &program, DWORD timeout_ms) {
    return WaitForSingleObject(program.process.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

DWORD ended_status(ProgramWindow &program) {
    DWORD code = 0;
    GetExitCodeProcess(program.process.hProcess, &code);
    forget_process(program);
    return code;
}

void end_program(ProgramWindow &program) {
    if (program.process.hProcess == nullptr) return;
    TerminateProcess(program.process.hProcess, 1);
    WaitForSingleObject(program.process.hProcess, END_TIMEOUT_MS);
    forget_process(program);
}

std::string play_one(const ProgramWindow &program) {
    if (!PostMessageA(program.window, WM_COMMAND, ZAVOK_RUN_PLAY_ONE, 0)) return "cannot give the program Play One";
    return "";
}

HWND program_dialog(const ProgramWindow &program) { return find_window(program, "#32770", nullptr); }

std::string dialog_prompt(HWND dialog) {
    std::string prompt;
    for (HWND label = FindWindowExA(dialog, nullptr, "Static", nullptr); label != nullptr;
         label = FindWindowExA(dialog, label, "Static", nullptr)) {
        char text[256] = {};
        GetWindowTextA(label, text, sizeof text);
        if (!prompt.empty()) prompt += ' ';
        prompt += text;
    }
    return prompt.substr(0, prompt.find_last_not_of(' ') + 1);
}

std::string answer_dialog(HWND dialog, const std::string &text) {
    const HWND field = FindWindowExA(dialog, nullptr, "Edit", nullptr);
    if (field == nullptr) return "the dialog has no field to type the answer into";
    for (const char character : text) PostMessageA(field, WM_CHAR, static_cast<unsigned char>(character), 1);
    // The default button is what Return presses.
    DWORD_PTR default_id = 0;
    SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, 5000, &default_id);
    const int id = HIWORD(default_id) == DC_HASDEFID ? LOWORD(default_id) : IDOK;
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))))
        return "cannot press the dialog's button";
    return "";
}

std::string window_rectangles(const ProgramWindow &program) {
    RECT outer = {};
    RECT client = {};
    GetWindowRect(program.window, &outer);
    GetClientRect(program.window, &client);
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    MapWindowPoints(program.window, nullptr, corners, 2);
    char text[160];
    std::snprintf(text, sizeof text, "%ld %ld %ld %ld %ld %ld %ld %ld", outer.left, outer.top, outer.right,
                  outer.bottom, corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    return text;
}

int quit_program(ProgramWindow &program, DWORD timeout_ms) {
    if (program.process.hProcess == nullptr) return -1;
    if (program.window != nullptr && IsWindow(program.window)) PostMessageA(program.window, WM_COMMAND, ZAVOK_RUN_QUIT, 0);
    int status = -1;
    if (WaitForSingleObject(program.process.hProcess, timeout_ms) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(program.process.hProcess, &code);
        status = static_cast<int>(code);
        forget_process(program);
    } else {
        end_program(program);
    }
    return status;
}
