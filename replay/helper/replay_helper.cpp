// The Win32 half of zavok-replay: runs inside the replay's Wine session, starts the program, and
// answers one command a line on its standard input, in the words of protocol.h. The pixels of
// the graphics window are read from the X server by the other side, which sees there when the
// paint has arrived (zavokreplay/session.py).
//   replay_helper.exe PROGRAM.exe [EVENT_TIMEOUT_MS]
#include "program_window.h"
#include "protocol.h"
#include "text_reader.h"

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD START_TIMEOUT_MS = 30000;
constexpr DWORD DEFAULT_EVENT_TIMEOUT_MS = 20000;
constexpr DWORD QUIT_TIMEOUT_MS = 10000;
constexpr size_t TEXT_LIMIT = 1 << 20;  // far more than a text window of any size shows

constexpr long PIXELS_SIDE_LIMIT = 1 << 14;  // larger than any screen a text window fits on
constexpr size_t COMMAND_LIMIT = 1024;  // a command line: a program's path, an answer to a dialog

void answer(const std::string &line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(ProgramWindow &program, const std::string &reason) {
    answer(REPLAY_ERROR " " + reason);
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

// Where the text window's client area lies in the window, its outer edge at 0 0: "X Y W H".
std::string client_area(HWND window) {
    RECT outer = {}, client = {};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    return std::to_string(corner.x - outer.left) + " " + std::to_string(corner.y - outer.top) + " " +
           std::to_string(client.right) + " " + std::to_string(client.bottom);
}

// A text window's client area as the other side read it from the X server (text pixels).
struct GivenPixels {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
};

// Answers the text command; an empty string when it could, else the reason why not. Pixels given
// are read as they are when they are the window's whole client area; otherwise, and without them,
// the window is shown if hidden and copied here (about 12 ms: Wine's copy of another process's
// window).
std::string send_text(const ProgramWindow &program, DWORD timeout_ms, const GivenPixels *given) {
    const HWND window = zavok_text_find_window();
    if (window == nullptr) {
        answer(REPLAY_TEXT " " REPLAY_NONE);
        return "";
    }
    int was_hidden = 0;
    static std::string text(TEXT_LIMIT, '\0');
    RECT client = {};
    int status = ZAVOK_TEXT_FAILED;
    if (given != nullptr && IsWindowVisible(window) && GetClientRect(window, &client) &&
        client.right == given->width && client.bottom == given->height) {
        status = zavok_text_read_pixels(given->pixels.data(), given->width, given->height,
                                        covered_rows(window, program.window), &text[0], text.size(), nullptr);
    } else {
        RECT graphics = {};
        GetWindowRect(program.window, &graphics);
        status = zavok_text_show(window, &graphics, timeout_ms, &was_hidden);
        if (status == ZAVOK_TEXT_OK)
            status = zavok_text_read(window, timeout_ms, covered_rows(window, program.window), &text[0], text.size(),
                                     nullptr);
    }
    if (status == ZAVOK_TEXT_TIMEOUT) return "the program did not answer while its text window was read";
    if (status != ZAVOK_TEXT_OK) return "cannot read the text window (" + std::to_string(status) + ")";
    const size_t length = std::strlen(text.c_str());
    answer(REPLAY_TEXT " " + std::to_string(was_hidden) + " " + std::to_string(length) + " " + client_area(window));
    const bool written = std::fwrite(text.data(), 1, length, stdout) == length;
    std::fflush(stdout);
    return written ? "" : "cannot hand the text over";
}

// Reads the pixels that follow a "text pixels W H" command; an empty string when it could.
std::string read_given_pixels(const std::string &command, GivenPixels &given) {
    const char *const size = command.c_str() + std::strlen(REPLAY_TEXT " " REPLAY_PIXELS " ");
    char *end = nullptr;
    const long width = std::strtol(size, &end, 10);
    const long height = std::strtol(end, &end, 10);
    if (*end != '\0' || width <= 0 || height <= 0 || width > PIXELS_SIDE_LIMIT || height > PIXELS_SIDE_LIMIT)
        return "unexpected command \"" + command + "\"";
    given.width = static_cast<int>(width);
    given.height = static_cast<int>(height);
    given.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (std::fread(given.pixels.data(), sizeof(uint32_t), given.pixels.size(), stdin) != given.pixels.size())
        return "the text window's pixels ended early";
    return "";
}

// Answers await, play and answer once the program is back in its wait, or gone: a program that
// hung is ended here, and either way the next may be started.
void answer_back(ProgramWindow &program, DWORD timeout_ms) {
    switch (await_frame(program, timeout_ms)) {
    case Back::painted: {
        const HWND dialog = program_dialog(program);
        answer(dialog != nullptr ? REPLAY_DIALOG " " + dialog_prompt(dialog) : std::string(REPLAY_PAINTED));
        return;
    }
    case Back::hung:
        answer(REPLAY_HUNG);  // first: the end may take a moment, and the other side's wait is bounded
        end_program(program);
        return;
    case Back::ended:
        answer(REPLAY_ENDED " " + std::to_string(ended_status(program)));
        return;
    }
}

bool starts_with(const std::string &command, const char *word) {
    const size_t length = std::strlen(word);
    return command.compare(0, length, word) == 0 && (command.size() == length || command[length] == ' ');
}

}  // namespace

int main(int argc, char **argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    ProgramWindow program;
    if (argc < 2 || argc > 3) return fail(program, "usage: replay_helper PROGRAM.exe [EVENT_TIMEOUT_MS]");
    const DWORD timeout_ms = argc == 3 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10))
                                       : DEFAULT_EVENT_TIMEOUT_MS;

    no_crash_debugger();
    std::string reason = start_program(program, argv[1], START_TIMEOUT_MS);
    if (!reason.empty()) return fail(program, reason);
    answer(REPLAY_READY);

    static char line[COMMAND_LIMIT];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        line[std::strcspn(line, "\r\n")] = '\0';
        const std::string command = line;
        const bool running = program.process.hProcess != nullptr;
        if (running && (command == REPLAY_AWAIT || command == REPLAY_PLAY || starts_with(command, REPLAY_ANSWER))) {
            if (command == REPLAY_PLAY) {
                reason = play_one(program);
            } else if (command != REPLAY_AWAIT) {
                const HWND dialog = program_dialog(program);
                reason = dialog == nullptr ? "the program shows no dialog to answer"
                                           : answer_dialog(dialog, command.substr(std::strlen(REPLAY_ANSWER " ")));
            }
            if (!reason.empty()) return fail(program, reason);
            answer_back(program, timeout_ms);
        } else if (running && starts_with(command, REPLAY_REPAINT)) {
            if (!InvalidateRect(program.window, nullptr, FALSE)) {
                answer_back(program, timeout_ms);  // its window is gone: it is ending
            } else {
                const HWND text = command == REPLAY_REPAINT " " REPLAY_TEXT ? zavok_text_find_window() : nullptr;
                const bool text_too = text != nullptr && IsWindowVisible(text) && InvalidateRect(text, nullptr, FALSE);
                answer(text_too ? REPLAY_REPAINTING " " REPLAY_TEXT : REPLAY_REPAINTING);
            }
        } else if (running && command == REPLAY_END) {
            if (await_end(program, timeout_ms)) {
                answer(REPLAY_ENDED " " + std::to_string(ended_status(program)));
            } else {
                answer(REPLAY_RUNNING);
                end_program(program);
            }
        } else if (running && command == REPLAY_RECTS) {
            answer(REPLAY_RECTS " " + window_rectangles(program));
        } else if (running && command == REPLAY_TEXT) {
            reason = send_text(program, timeout_ms, nullptr);
            if (!reason.empty()) return fail(program, reason);
        } else if (running && starts_with(command, REPLAY_TEXT " " REPLAY_PIXELS)) {
            GivenPixels given;
            reason = read_given_pixels(command, given);
            if (reason.empty()) reason = send_text(program, timeout_ms, &given);
            if (!reason.empty()) return fail(program, reason);
        } else if (command == REPLAY_QUIT) {
            answer(REPLAY_QUIT " " + std::to_string(quit_program(program, QUIT_TIMEOUT_MS)));
        } else if (!running && starts_with(command, REPLAY_START)) {
            reason = start_program(program, command.substr(std::strlen(REPLAY_START " ")), START_TIMEOUT_MS);
            if (!reason.empty()) return fail(program, reason);
            answer(REPLAY_READY);
        } else {
            return fail(program, "unexpected command \"" + command + "\"");
        }
    }
    // The other side went away: leave nothing running.
    quit_program(program, QUIT_TIMEOUT_MS);
    return 0;
}
