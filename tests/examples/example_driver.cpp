// Starts one example program, drives it the way a user would through its windows, checks what it
// draws where that is plain to see (click_dots), ends it and checks that it exited with 0. Every
// wait is bounded; a program that hangs is terminated.
//   example_driver <program.exe> <hello_name | bouncing_ball | click_dots>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD FIND_MS = 20000;
constexpr DWORD EXIT_MS = 20000;
constexpr UINT RESPONSE_MS = 5000;

struct Search {
    DWORD process_id;
    const char *class_name;  // null: any class
    const char *title;
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM parameter) {
    auto &search = *reinterpret_cast<Search *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.process_id) return TRUE;
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::strcmp(text, search.title) != 0) return TRUE;
    if (search.class_name != nullptr) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::strcmp(name, search.class_name) != 0) return TRUE;
    }
    search.found = window;
    return FALSE;
}

// The program's top-level window with this title (and class), once it exists and is visible.
HWND await_window(DWORD process_id, const char *class_name, const char *title) {
    const DWORD start = GetTickCount();
    do {
        Search search = {process_id, class_name, title, nullptr};
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr && IsWindowVisible(search.found)) return search.found;
        Sleep(50);
    } while (GetTickCount() - start < FIND_MS);
    return nullptr;
}

bool await_gone(HWND window) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > FIND_MS) return false;
        Sleep(50);
    }
    return true;
}

// The program still reads its messages: its event loop is alive.
bool responds(HWND window) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, RESPONSE_MS, &ignored) != 0;
}

// CTest hands over the build tree's Unix path when it runs us under Wine, whose Z: drive is /.
std::string windows_path(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char &c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

int fail(const char *what) {
    std::fprintf(stderr, "example_driver: %s\n", what);
    return 1;
}

int drive_hello_name(DWORD process_id, HWND graphics) {
    const HWND dialog = await_window(process_id, "#32770", "ZAVOK_gets");
    if (dialog == nullptr) return fail("no \"ZAVOK_gets\" dialog appeared");
    if (SetDlgItemTextA(dialog, 102, "Ada") == 0) return fail("could not type into the dialog");
    PostMessageA(dialog, WM_COMMAND, 101, 0);
    if (!await_gone(dialog)) return fail("Okay did not close the dialog");
    if (!responds(graphics)) return fail("the program stopped reading its messages after the dialog");
    PostMessageA(graphics, WM_CLOSE, 0, 0);
    return 0;
}

int drive_bouncing_ball(HWND graphics) {
    Sleep(1000);  // some ten periodic events
    if (!responds(graphics)) return fail("the animation stopped reading its messages");
    PostMessageA(graphics, WM_CHAR, ' ', 1);  // halt, then resume
    PostMessageA(graphics, WM_CHAR, ' ', 1);
    Sleep(300);
    if (!responds(graphics)) return fail("the animation stopped reading its messages after space");
    PostMessageA(graphics, WM_CLOSE, 0, 0);
    return 0;
}

// The colour of a client pixel of another process's window, as it is on the screen.
COLORREF window_pixel(HWND window, int x, int y) {
    const HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

// Waits until the window shows this colour at the client point: the program copies its
// drawing to the window on its own time.
bool await_pixel(HWND window, int x, int y, COLORREF colour) {
    const DWORD start = GetTickCount();
    while (window_pixel(window, x, y) != colour) {
        if (GetTickCount() - start > FIND_MS) return false;
        Sleep(50);
    }
    return true;
}

int drive_click_dots(HWND graphics) {
    // The first dot is red, the second the next palette colour (green), each centred on its click.
    PostMessageA(graphics, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    if (!await_pixel(graphics, 100, 100, RGB(255, 0, 0))) return fail("the first click drew no red dot");
    PostMessageA(graphics, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 150));
    if (!await_pixel(graphics, 200, 150, RGB(0, 255, 0))) return fail("the second click drew no green dot");
    if (window_pixel(graphics, 150, 125) != RGB(255, 255, 255)) return fail("the dots are not on white");
    PostMessageA(graphics, WM_CHAR, 'x', 1);
    PostMessageA(graphics, WM_CHAR, 'c', 1);
    if (!await_pixel(graphics, 100, 100, RGB(255, 255, 255))) return fail("'c' did not clear the dots");
    if (!responds(graphics)) return fail("the program stopped reading its messages");
    PostMessageA(graphics, WM_CHAR, 'q', 1);  // the program ends by itself
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) return fail("usage: example_driver <program.exe> <example name>");
    const std::string program = windows_path(argv[1]);
    const std::string example = argv[2];

    std::string command_line = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return fail(("cannot start " + program).c_str());
    }
    CloseHandle(process.hThread);

    int failures = 0;
    const HWND graphics = await_window(process.dwProcessId, nullptr, "ZAVOK Graphics");
    if (graphics == nullptr) {
        failures = fail("no \"ZAVOK Graphics\" window appeared");
    } else if (example == "hello_name") {
        failures = drive_hello_name(process.dwProcessId, graphics);
    } else if (example == "bouncing_ball") {
        failures = drive_bouncing_ball(graphics);
    } else if (example == "click_dots") {
        failures = drive_click_dots(graphics);
    } else {
        failures = fail(("no scenario for " + example).c_str());
    }

    if (WaitForSingleObject(process.hProcess, EXIT_MS) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, EXIT_MS);
        failures += fail("the program did not end; terminated it");
    } else {
        DWORD exit_code = 0;
        GetExitCodeProcess(process.hProcess, &exit_code);
        if (exit_code != 0) {
            std::fprintf(stderr, "example_driver: %s exited with %lu\n", example.c_str(), exit_code);
            ++failures;
        }
    }
    CloseHandle(process.hProcess);
    return failures == 0 ? 0 : 1;
}
