// The Run menu: its items, its commands from the menu and from Ctrl+letter, its check marks.
#include "zavok.h"

#include "../../graphics/script/script_internal.h"
#include "../../graphics/window/window_internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

// Everything a command can change.
struct RunState {
    bool animation_running, single_step_pending, logging_enabled, script_recording, script_playing, script_play_one;
    UINT logging_item, record_item, playback_item;
    bool quit_posted;
};

bool operator==(const RunState &a, const RunState &b) {
    return a.animation_running == b.animation_running && a.single_step_pending == b.single_step_pending &&
           a.logging_enabled == b.logging_enabled && a.script_recording == b.script_recording &&
           a.script_playing == b.script_playing && a.script_play_one == b.script_play_one &&
           a.logging_item == b.logging_item && a.record_item == b.record_item && a.playback_item == b.playback_item &&
           a.quit_posted == b.quit_posted;
}

// Delivers what is queued as the wait loop would; tells whether the quit message came.
bool deliver() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

class RunMenu : public testing::Test {
protected:
    void SetUp() override { start_quiet(); }
    void TearDown() override {
        start_quiet();
        ZAVOK_logging(1);
    }

    static void start_quiet() {
        reset_package();
        CheckMenuItem(run_menu, RUN_RECORD, MF_UNCHECKED);
        CheckMenuItem(run_menu, RUN_PLAYBACK, MF_UNCHECKED);
        std::remove(SCRIPT_FILE_NAME);
    }

    static UINT item_state(int id) { return GetMenuState(run_menu, id, MF_BYCOMMAND); }

    static RunState state(bool quit_posted) {
        RunState state;
        state.animation_running = animation_running;
        state.single_step_pending = single_step_pending;
        state.logging_enabled = logging_enabled;
        state.script_recording = script_recording;
        state.script_playing = script_playing;
        state.script_play_one = script_play_one;
        state.logging_item = item_state(RUN_LOGGING);
        state.record_item = item_state(RUN_RECORD);
        state.playback_item = item_state(RUN_PLAYBACK);
        state.quit_posted = quit_posted;
        return state;
    }
};

using Give = std::function<bool(int id)>;  // gives a command, tells whether quit was posted

const char ACCELERATOR_LETTERS[] = " AHFLRPOQ";  // by command id

bool by_menu(int id) {
    PostMessageA(graphics_window, WM_COMMAND, id, 0);
    return deliver();
}

Give by_ctrl_letter(bool small) {
    return [small](int id) {
        const char letter = ACCELERATOR_LETTERS[id];
        post_key(WM_KEYDOWN, VK_CONTROL);
        post_key(WM_KEYDOWN, small ? letter - 'A' + 'a' : letter);
        post_key(WM_KEYUP, VK_CONTROL);
        return deliver();
    };
}

TEST_F(RunMenu, TheMenuBarHoldsRunWithItsItemsInOrder) {
    const HMENU bar = GetMenu(graphics_window);
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(1, GetMenuItemCount(bar));
    char text[100] = {};
    GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("&Run", text);
    EXPECT_EQ(run_menu, GetSubMenu(bar, 0));

    struct Item {
        UINT id;
        const char *text;  // null for a separator
        UINT state;
    };
    const Item items[] = {{RUN_ANIMATE, "&Animate\tCtrl+A", 0},
                          {RUN_HALT, "&Halt animation\tCtrl+H", 0},
                          {RUN_FRAME, "Advance one &frame\tCtrl+F", 0},
                          {0, nullptr, MF_SEPARATOR},
                          {RUN_LOGGING, "&Logging\tCtrl+L", logging_enabled ? MF_CHECKED : 0u},
                          {0, nullptr, MF_SEPARATOR},
                          {RUN_RECORD, "&Record Script\tCtrl+R", 0},
                          {RUN_PLAYBACK, "&Playback Script\tCtrl+P", 0},
                          {RUN_PLAY_ONE, "Play &One Script\tCtrl+O", 0},
                          {0, nullptr, MF_SEPARATOR},
                          {RUN_QUIT, "&Quit\tCtrl+Q", 0},
                          {0, nullptr, MF_SEPARATOR},
                          {RUN_INFO, "ZAVOK v2.2 July 1997", MF_GRAYED},
                          {RUN_INFO, nullptr, MF_GRAYED},
                          {RUN_INFO, nullptr, MF_GRAYED},
                          {RUN_INFO, nullptr, MF_GRAYED}};
    ASSERT_EQ(16, GetMenuItemCount(run_menu));
    for (int position = 0; position < 16; ++position) {
        const Item &item = items[position];
        SCOPED_TRACE(position);
        const UINT flags = GetMenuState(run_menu, position, MF_BYPOSITION);
        if (item.state == MF_SEPARATOR) {
            EXPECT_EQ(MF_SEPARATOR, flags & MF_SEPARATOR);  // the platform also reports separators grayed
            continue;
        }
        EXPECT_EQ(item.state, flags & (MF_SEPARATOR | MF_CHECKED | MF_GRAYED));
        EXPECT_EQ(item.id, GetMenuItemID(run_menu, position));
        text[0] = '\0';
        GetMenuStringA(run_menu, position, text, sizeof text, MF_BYPOSITION);
        if (item.text != nullptr)
            EXPECT_STREQ(item.text, text);
        else
            EXPECT_GT(std::strlen(text), 0u);
    }
}

TEST_F(RunMenu, EachCommandActsTheSameFromTheMenuAndFromCtrlWithEitherLetterCode) {
    const Give routes[] = {by_menu, by_ctrl_letter(false), by_ctrl_letter(true)};
    for (const Give &give : routes) {
        start_quiet();
        ZAVOK_logging(1);
        const bool logging = logging_enabled;

        EXPECT_FALSE(give(RUN_ANIMATE));
        EXPECT_TRUE(animation_running);
        give(RUN_FRAME);
        EXPECT_FALSE(animation_running);
        EXPECT_TRUE(single_step_pending);
        give(RUN_ANIMATE);
        EXPECT_TRUE(single_step_pending) << "Animate leaves a pending step";
        give(RUN_HALT);
        EXPECT_FALSE(animation_running);
        EXPECT_TRUE(single_step_pending) << "Halt leaves a pending step";

        give(RUN_LOGGING);
        EXPECT_NE(logging, logging_enabled);
        EXPECT_EQ(logging_enabled ? MF_CHECKED : 0u, item_state(RUN_LOGGING) & MF_CHECKED);
        give(RUN_LOGGING);
        EXPECT_EQ(logging, logging_enabled);
        EXPECT_EQ(logging_enabled ? MF_CHECKED : 0u, item_state(RUN_LOGGING) & MF_CHECKED);

        give(RUN_RECORD);
        EXPECT_TRUE(script_recording);
        EXPECT_EQ(MF_CHECKED, item_state(RUN_RECORD) & MF_CHECKED);
        give(RUN_RECORD);
        EXPECT_FALSE(script_recording);
        EXPECT_EQ(0u, item_state(RUN_RECORD) & MF_CHECKED);
        EXPECT_FALSE(file_exists(SCRIPT_FILE_NAME)) << "nothing recorded, nothing written";

        give(RUN_ANIMATE);
        give(RUN_PLAYBACK);
        EXPECT_TRUE(script_playing);
        EXPECT_FALSE(animation_running);
        EXPECT_FALSE(single_step_pending);
        EXPECT_EQ(MF_CHECKED, item_state(RUN_PLAYBACK) & MF_CHECKED);
        give(RUN_PLAYBACK);
        EXPECT_FALSE(script_playing);
        EXPECT_EQ(0u, item_state(RUN_PLAYBACK) & MF_CHECKED);

        give(RUN_ANIMATE);
        give(RUN_FRAME);
        give(RUN_ANIMATE);
        const RunState before_play_one = state(false);
        give(RUN_PLAY_ONE);
        EXPECT_TRUE(script_play_one);
        EXPECT_FALSE(animation_running);
        EXPECT_FALSE(single_step_pending);
        EXPECT_EQ(before_play_one.record_item, item_state(RUN_RECORD));
        EXPECT_EQ(before_play_one.playback_item, item_state(RUN_PLAYBACK));
        script_play_one = false;  // no wait here would take the event

        EXPECT_TRUE(give(RUN_QUIT));
    }
}

TEST_F(RunMenu, TheQuitCommandEndsTheNextWaitWithQuit) {
    PostMessageA(graphics_window, WM_COMMAND, RUN_QUIT, 0);
    int x, y;
    char key;
    EXPECT_EQ(ZAVOK_QUIT, ZAVOK_await_event(&x, &y, &key));
}

TEST_F(RunMenu, PlainLettersUnknownCommandsAndACtrlLostWithTheFocusChangeNothing) {
    const RunState before = state(false);
    const std::string letters = "AHFLRPOQahflrpoq";
    for (const char letter : letters) {
        post_key(WM_KEYDOWN, static_cast<unsigned char>(letter));
        EXPECT_TRUE(before == state(deliver())) << "plain " << letter;
    }
    for (const int id : {0, 9, 12, -1, 0x10000}) {
        PostMessageA(graphics_window, WM_COMMAND, id, 0);
        EXPECT_TRUE(before == state(deliver())) << "command " << id;
    }

    // Ctrl goes up while another program has the focus: its letters are plain again.
    post_key(WM_KEYDOWN, VK_CONTROL);
    deliver();
    SendMessageA(graphics_window, WM_ACTIVATEAPP, FALSE, 0);
    for (const char letter : letters) {
        post_key(WM_KEYDOWN, static_cast<unsigned char>(letter));
        EXPECT_TRUE(before == state(deliver())) << "after the focus went, " << letter;
    }
}

TEST_F(RunMenu, ZavokLoggingSetsTheCheckMarkAndShowsTheTextWindowWhileTheMenuDoesNot) {
    EXPECT_EQ(1, ZAVOK_logging(0));
    EXPECT_FALSE(logging_enabled);
    EXPECT_EQ(0u, item_state(RUN_LOGGING) & MF_CHECKED);

    ZAVOK_show_text(0);
    by_menu(RUN_LOGGING);
    EXPECT_TRUE(logging_enabled);
    EXPECT_EQ(MF_CHECKED, item_state(RUN_LOGGING) & MF_CHECKED);
    EXPECT_FALSE(IsWindowVisible(text_window));

    EXPECT_EQ(1, ZAVOK_logging(0));
    EXPECT_FALSE(IsWindowVisible(text_window)) << "turning logging off does not show the window";
    EXPECT_EQ(1, ZAVOK_logging(7));
    EXPECT_TRUE(logging_enabled);
    EXPECT_EQ(MF_CHECKED, item_state(RUN_LOGGING) & MF_CHECKED);
    EXPECT_TRUE(IsWindowVisible(text_window));
}

}  // namespace
