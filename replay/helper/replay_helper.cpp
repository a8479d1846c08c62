// The Win32 half of tools/zavok-replay: runs inside the replay's Wine session, starts the
// program, and answers one command a line on its standard input:
//   await   waits until the program has painted its window after what it was doing and is back
//           in its wait (no event given); answers "painted", or "dialog PROMPT" when the program
//           waits in a modal dialog instead (ZAVOK_gets), which a script's events cannot answer
//   play    gives Play One, then as await
//   answer TEXT  types TEXT into the dialog's field and presses its default button, as the
//           user would; then as await
//   rects   the graphics window's outer and client rectangles on the desktop: "rects L T R B L T R B"
//   text    the lines of the program's text window, read from its pixels (text_reader.h): "text
//           SHOWN BYTES\n" followed by BYTES bytes of UTF-8 lines, each ended by '\n'; SHOWN is 1
//           when the window was hidden and had to be shown to be read (a change the program
//           sees), 0 otherwise; "text none" when the program has no text window
//   quit    asks the program to quit (or ends it) and gives its exit status: "quit STATUS"
//   start PROGRAM.exe  after quit: starts another program; answers "ready" as at start
// It first says "ready" once the program's graphics window is on the screen. Any failure is
// answered "error REASON", after which the helper ends the program and itself. Every answer is
// one line. The pixels of the graphics window are read from the X server by the other side, which
// sees there when the paint has arrived (zavokreplay/session.py).
//   replay_helper.exe PROGRAM.exe [FRAME_TIMEOUT_MS]
#include "program_window.h"
#include "text_reader.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD START_TIMEOUT_MS = 30000;
constexpr DWORD DEFAULT_FRAME_TIMEOUT_MS = 20000;
constexpr DWORD QUIT_TIMEOUT_MS = 10000;
constexpr size_t TEXT_LIMIT = 1 << 20;  // far more than a text window of any size shows

constexpr size_t COMMAND_LIMIT = 1024;  // a command line: a program's path, an answer to a dialog

void answer(const std::string &line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(ProgramWindow &program, const std::string &reason) {
    answer("error " + reason);
    quit_program(program, QUIT_TIMEOUT_MS);
    return 2;
}

// The text window's client rows at the top that the graphics window covers: on Wine's virtual
// desktop a covered part of a window reads black, so the lines there cannot be read.
int covered_rows(HWND text_window, HWND graphics_window) {
    RECT graphics = {}, client = {};
    if (!GetWindowRect(graphics_window, &graphics) || !GetClientRect(text_window, &client)) return 0;
    POINT top_left = {0, 0};
    ClientToScreen(text_window, &top_left);
    if (graphics.right <= top_left.x || graphics.left >= top_left.x + client.right) return 0;
    return graphics.bottom > top_left.y ? static_cast<int>(graphics.bottom - top_left.y) : 0;
}

// Answers the text command; an empty string when it could, else the reason why not.
std::string send_text(const ProgramWindow &program, DWORD timeout_ms) {
    const HWND window = zavok_text_find_window();
    if (window == nullptr) {
        answer("text none");
        return "";
    }
    int was_hidden = 0;
    RECT graphics = {};
    GetWindowRect(program.window, &graphics);
    int status = zavok_text_show(window, &graphics, timeout_ms, &was_hidden);
    static std::string text(TEXT_LIMIT, '\0');
    if (status == ZAVOK_TEXT_OK)
        status = zavok_text_read(window, timeout_ms, covered_rows(window, program.window), &text[0], text.size(),
                                 nullptr);
    if (status == ZAVOK_TEXT_TIMEOUT) return "the program did not answer while its text window was read";
    if (status != ZAVOK_TEXT_OK) return "cannot read the text window (" + std::to_string(status) + ")";
    const size_t length = std::strlen(text.c_str());
    answer("text " + std::to_string(was_hidden) + " " + std::to_string(length));
    const bool written = std::fwrite(text.data(), 1, length, stdout) == length;
    std::fflush(stdout);
    return written ? "" : "cannot hand the text over";
}

// Answers await: "painted" once the program is back in its wait, or "dialog PROMPT".
std::string answer_painted(const ProgramWindow &program, DWORD timeout_ms) {
    std::string reason = await_frame(program, timeout_ms);
    if (!reason.empty()) return reason;
    const HWND dialog = program_dialog(program);
    answer(dialog != nullptr ? "dialog " + dialog_prompt(dialog) : "painted");
    return "";
}

}  // namespace

int main(int argc, char **argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    ProgramWindow program;
    if (argc < 2 || argc > 3) return fail(program, "usage: replay_helper PROGRAM.exe [FRAME_TIMEOUT_MS]");
    const DWORD frame_timeout_ms = argc == 3 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10))
                                             : DEFAULT_FRAME_TIMEOUT_MS;

    std::string reason = start_program(program, argv[1], START_TIMEOUT_MS);
    if (!reason.empty()) return fail(program, reason);
    answer("ready");

    static char line[COMMAND_LIMIT];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        line[std::strcspn(line, "\r\n")] = '\0';
        const std::string command = line;
        if (command == "await" || command == "play" || command.rfind("answer ", 0) == 0) {
            if (command == "play") {
                reason = play_one(program);
            } else if (command != "await") {
                const HWND dialog = program_dialog(program);
                reason = dialog == nullptr ? "the program shows no dialog to answer" : answer_dialog(dialog, command.substr(7));
            }
            if (reason.empty()) reason = answer_painted(program, frame_timeout_ms);
            if (!reason.empty()) return fail(program, reason);
        } else if (command == "rects") {
            answer("rects " + window_rectangles(program));
        } else if (command == "text") {
            reason = send_text(program, frame_timeout_ms);
            if (!reason.empty()) return fail(program, reason);
        } else if (command == "quit") {
            answer("quit " + std::to_string(quit_program(program, QUIT_TIMEOUT_MS)));
        } else if (command.rfind("start ", 0) == 0 && program.process.hProcess == nullptr) {
            reason = start_program(program, command.substr(6), START_TIMEOUT_MS);
            if (!reason.empty()) return fail(program, reason);
            answer("ready");
        } else {
            return fail(program, "unknown command \"" + command + "\"");
        }
    }
    // The other side went away: leave nothing running.
    quit_program(program, QUIT_TIMEOUT_MS);
    return 0;
}
