// The line-input dialog, driven for real: a thread timer keeps firing inside the dialog's modal
// loop, finds the dialog, looks at it, types into it and presses Okay.
#include "zavok.h"

#include "../../graphics/console/console_internal.h"
#include "../../graphics/window/window_internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <ostream>
#include <string>

namespace {

constexpr UINT DRIVER_PERIOD_MS = 50;
constexpr DWORD GIVE_UP_MS = 4000;

// One stage of a scenario, run at each driver tick while the dialog is open: `tick` counts the
// ticks that found the dialog. Returns true once it has pressed Okay.
using Step = bool (*)(HWND dialog, int tick);

struct Driver {
    Step step;
    DWORD started;
    int ticks;
    bool gave_up;
    bool finished;
};
Driver driver = {};

void press_okay(HWND dialog) {
    SendMessageA(dialog, WM_COMMAND, GETS_OKAY, reinterpret_cast<LPARAM>(GetDlgItem(dialog, GETS_OKAY)));
}

void CALLBACK driver_tick(HWND, UINT, UINT_PTR id, DWORD) {
    if (driver.finished) return;
    const HWND dialog = FindWindowW(L"#32770", GETS_CAPTION);
    const bool too_long = GetTickCount() - driver.started > GIVE_UP_MS;
    if (dialog == nullptr) {
        if (too_long) KillTimer(nullptr, id);
        return;
    }
    if (too_long) {
        driver.gave_up = true;
        driver.finished = true;
        KillTimer(nullptr, id);
        press_okay(dialog);
        return;
    }
    if (driver.step(dialog, driver.ticks++)) {
        driver.finished = true;
        KillTimer(nullptr, id);
    }
}

// Runs ZAVOK_gets with `step` driving the dialog; every path ends within a few seconds.
int run_dialog(const char *prompt, char *buffer, Step step) {
    driver = {step, GetTickCount(), 0, false, false};
    const UINT_PTR id = SetTimer(nullptr, 0, DRIVER_PERIOD_MS, driver_tick);
    const int result = ZAVOK_gets(prompt, buffer);
    KillTimer(nullptr, id);
    return result;
}

std::wstring item_text(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

std::string item_class(HWND dialog, int id) {
    char name[64] = {};
    GetClassNameA(GetDlgItem(dialog, id), name, sizeof name);
    return name;
}

// A rectangle as left, top, width, height, so that failures read like the template.
struct Box {
    long left, top, width, height;
    bool operator==(const Box &other) const {
        return left == other.left && top == other.top && width == other.width && height == other.height;
    }
};

std::ostream &operator<<(std::ostream &out, const Box &box) {
    return out << "(" << box.left << ", " << box.top << ") " << box.width << " x " << box.height;
}

// A control's box in pixels as the platform makes it: its origin and its size are converted
// from dialog units each on its own, so the far edge may differ by a rounding from the mapped
// far corner.
Box in_pixels(HWND dialog, int x, int y, int cx, int cy) {
    RECT origin = {x, y, x, y};
    RECT size = {0, 0, cx, cy};
    MapDialogRect(dialog, &origin);
    MapDialogRect(dialog, &size);
    return {origin.left, origin.top, size.right, size.bottom};
}

Box client_box(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// A control's window rectangle in its dialog's client coordinates.
Box item_box(HWND dialog, int id) {
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool has_style(HWND window, DWORD style) {
    return (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & style) == style;
}

std::string answer;  // what a scenario types before pressing Okay
std::wstring seen_prompt;

bool type_answer_and_press_okay(HWND dialog, int) {
    seen_prompt = item_text(dialog, GETS_PROMPT);
    SetDlgItemTextA(dialog, GETS_EDIT, answer.c_str());
    press_okay(dialog);
    return true;
}

class GetsDialog : public testing::Test {
protected:
    void SetUp() override {
        reset_package();
        answer.clear();
        seen_prompt.clear();
    }
    void TearDown() override { reset_package(); }
};

TEST_F(GetsDialog, ShowsItsCaptionControlsAndTheFirst79PromptCharactersOverTheGraphicsWindow) {
    std::string prompt;
    for (int i = 0; i < 10; ++i) prompt += "abcdefghi" + std::to_string(i);
    ASSERT_EQ(100u, prompt.size());

    static bool looked = false;
    looked = false;
    const Step look = [](HWND dialog, int) {
        looked = true;
        wchar_t caption[64] = {};
        GetWindowTextW(dialog, caption, static_cast<int>(std::size(caption)));
        EXPECT_STREQ(GETS_CAPTION, caption);
        EXPECT_TRUE(has_style(dialog, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
        EXPECT_EQ(graphics_window, GetWindow(dialog, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(graphics_window));

        EXPECT_EQ("Edit", item_class(dialog, GETS_EDIT));
        const HWND edit = GetDlgItem(dialog, GETS_EDIT);
        EXPECT_TRUE(has_style(edit, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL));
        // An edit control may trade its WS_BORDER for a sunken client edge when it is created.
        EXPECT_TRUE(has_style(edit, WS_BORDER) || (GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
        EXPECT_FALSE(has_style(edit, ES_WANTRETURN));
        EXPECT_EQ(L"", item_text(dialog, GETS_EDIT));
        EXPECT_EQ(edit, GetFocus());

        EXPECT_EQ("Button", item_class(dialog, GETS_OKAY));
        EXPECT_TRUE(has_style(GetDlgItem(dialog, GETS_OKAY), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON));
        EXPECT_EQ(L"Okay", item_text(dialog, GETS_OKAY));

        EXPECT_EQ("Static", item_class(dialog, GETS_PROMPT));
        EXPECT_TRUE(has_style(GetDlgItem(dialog, GETS_PROMPT), WS_CHILD | WS_VISIBLE | WS_GROUP));
        EXPECT_EQ(SS_LEFT, GetWindowLongA(GetDlgItem(dialog, GETS_PROMPT), GWL_STYLE) & SS_TYPEMASK);

        // Template positions and sizes are dialog units: compare them converted to pixels.
        EXPECT_EQ(in_pixels(dialog, 0, 0, 185, 92), client_box(dialog));
        EXPECT_EQ(in_pixels(dialog, 8, 30, 167, 37), item_box(dialog, GETS_EDIT));
        EXPECT_EQ(in_pixels(dialog, 67, 74, 50, 14), item_box(dialog, GETS_OKAY));
        EXPECT_EQ(in_pixels(dialog, 8, 3, 167, 24), item_box(dialog, GETS_PROMPT));
        // The dialog's client area starts at (50, 50) from the owner's client area.
        POINT owner_corner = {0, 0};
        ClientToScreen(graphics_window, &owner_corner);
        POINT corner = {0, 0};
        ClientToScreen(dialog, &corner);
        const Box offset = in_pixels(dialog, 50, 50, 0, 0);
        EXPECT_EQ(owner_corner.x + offset.left, corner.x);
        EXPECT_EQ(owner_corner.y + offset.top, corner.y);

        return type_answer_and_press_okay(dialog, 0);
    };
    answer = "Ada Lovelace";
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(1, run_dialog(prompt.c_str(), buffer, look));
    EXPECT_TRUE(looked);
    EXPECT_FALSE(driver.gave_up);
    EXPECT_STREQ("Ada Lovelace", buffer);
    EXPECT_EQ(std::wstring(prompt.begin(), prompt.begin() + 79), seen_prompt);
    EXPECT_TRUE(IsWindowEnabled(graphics_window));
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", GETS_CAPTION));
}

TEST_F(GetsDialog, AnEmptyPromptShows79SpacesAndAnEmptyAnswerLeavesALoneNul) {
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(1, run_dialog("", buffer, type_answer_and_press_okay));
    EXPECT_FALSE(driver.gave_up);
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_EQ('x', buffer[1]);
    EXPECT_EQ(std::wstring(79, L' '), seen_prompt);

    // A short prompt is padded to the same length.
    EXPECT_EQ(1, run_dialog("Name?", buffer, type_answer_and_press_okay));
    EXPECT_EQ(L"Name?" + std::wstring(74, L' '), seen_prompt);
}

TEST_F(GetsDialog, ALongAnswerIsCutTo255CharactersAndTheBufferEndsThere) {
    for (int i = 0; i < 300; ++i) answer += static_cast<char>('a' + i % 26);
    char buffer[300];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(1, run_dialog("Say a lot", buffer, type_answer_and_press_okay));
    EXPECT_FALSE(driver.gave_up);
    EXPECT_EQ(answer.substr(0, 255), std::string(buffer));
    for (int i = 256; i < 300; ++i) EXPECT_EQ('#', buffer[i]) << "byte " << i << " was written";
}

TEST_F(GetsDialog, EscapeAndTheCloseBoxLeaveTheDialogOpen) {
    static bool still_open = false;
    still_open = false;
    const Step try_to_cancel = [](HWND dialog, int tick) {
        if (tick == 0) {
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(dialog, WM_CLOSE, 0, 0);
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            PostMessageA(GetDlgItem(dialog, GETS_EDIT), WM_KEYDOWN, VK_ESCAPE, 1);
            return false;
        }
        if (tick < 4) return false;  // let the posted messages be worked off
        still_open = IsWindow(dialog) && IsWindowVisible(dialog);
        SetDlgItemTextA(dialog, GETS_EDIT, "still here");
        press_okay(dialog);
        return true;
    };
    char buffer[256] = {};
    EXPECT_EQ(1, run_dialog("Try to leave", buffer, try_to_cancel));
    EXPECT_FALSE(driver.gave_up);
    EXPECT_TRUE(still_open);
    EXPECT_STREQ("still here", buffer);
}

TEST_F(GetsDialog, TheGraphicsWindowTimerKeepsTickingWhileTheDialogIsOpen) {
    const Step await_tick = [](HWND dialog, int tick) {
        if (tick == 0) {
            timer_ticked = 0;
            return false;
        }
        if (timer_ticked == 0) return false;  // the driver gives up after a few seconds
        press_okay(dialog);
        return true;
    };
    char buffer[256] = {};
    EXPECT_EQ(1, run_dialog("Wait", buffer, await_tick));
    EXPECT_FALSE(driver.gave_up) << "no WM_TIMER reached the graphics window during the dialog";
    EXPECT_EQ(1, timer_ticked);
}

TEST_F(GetsDialog, PromptCharactersAbove127ArriveAsTheAnsiCodePageMeansThem) {
    const char prompt[] = "caf\xE9 \x80 5";
    wchar_t expected[16] = {};
    const int count = MultiByteToWideChar(CP_ACP, 0, prompt, sizeof prompt - 1, expected, 16);
    ASSERT_EQ(static_cast<int>(sizeof prompt - 1), count) << "the test needs a single-byte code page";
    if (GetACP() == 1252) {
        EXPECT_EQ(L'\u00E9', expected[3]);
        EXPECT_EQ(L'\u20AC', expected[5]);  // where widening the byte would give U+0080
    }
    char buffer[256] = {};
    EXPECT_EQ(1, run_dialog(prompt, buffer, type_answer_and_press_okay));
    ASSERT_EQ(79u, seen_prompt.size());
    EXPECT_EQ(std::wstring(expected, count), seen_prompt.substr(0, count));
    EXPECT_EQ(std::wstring(79 - count, L' '), seen_prompt.substr(count));
}

TEST_F(GetsDialog, ANullPromptIsEmptyAndANullBufferDiscardsTheAnswer) {
    answer = "nowhere to go";
    EXPECT_EQ(1, run_dialog(nullptr, nullptr, type_answer_and_press_okay));
    EXPECT_FALSE(driver.gave_up);
    EXPECT_EQ(std::wstring(79, L' '), seen_prompt);
}

TEST_F(GetsDialog, ADialogThatCannotBeCreatedReturnsZeroAndLeavesTheBufferAlone) {
    // An owner that no longer exists makes the dialog's creation fail.
    const HWND gone = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, gone);
    DestroyWindow(gone);
    const HWND saved = graphics_window;
    graphics_window = gone;
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    const int result = run_dialog("never shown", buffer, type_answer_and_press_okay);
    graphics_window = saved;
    EXPECT_EQ(0, result);
    EXPECT_EQ(0, driver.ticks) << "a dialog appeared";
    for (char c : buffer) EXPECT_EQ('x', c);
}

}  // namespace
