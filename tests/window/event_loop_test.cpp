// The wait loop, the graphics window's events and animation control, on the real window.
#include "zavok.h"

#include "../../graphics/window/window_internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

class EventLoop : public testing::Test {
protected:
    void SetUp() override { reset_package(); }
    void TearDown() override { reset_package(); }

    int wait(int &x, int &y, char &key) { return ZAVOK_await_event(&x, &y, &key); }
};

TEST_F(EventLoop, WindowsHaveTheirTitlesSizeAndOriginAtTheClientCentre) {
    char title[64] = {};
    GetWindowTextA(graphics_window, title, sizeof title);
    EXPECT_STREQ(ZAVOK_GRAPHICS_TITLE, title);
    GetWindowTextA(text_window, title, sizeof title);
    EXPECT_STREQ(ZAVOK_TEXT_TITLE, title);

    RECT outer;
    GetWindowRect(graphics_window, &outer);
    EXPECT_EQ(SURFACE_WIDTH, outer.right - outer.left);
    EXPECT_EQ(SURFACE_HEIGHT, outer.bottom - outer.top);

    RECT client;
    GetClientRect(graphics_window, &client);
    EXPECT_EQ(client.right / 2, origin_x);
    EXPECT_EQ(client.bottom / 2, origin_y);

    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    GetWindowRect(text_window, &outer);
    EXPECT_EQ((2 * screen_height) / 3 + 1, outer.top);
    EXPECT_EQ(screen_height / 3, outer.bottom - outer.top);
}

TEST_F(EventLoop, WorldAndClientCoordinatesConvertBothWaysWithAnOddWidth) {
    const int saved_x = origin_x;
    const int saved_y = origin_y;
    origin_x = 595 / 2;
    origin_y = 497 / 2;
    EXPECT_EQ(297, origin_x);
    EXPECT_EQ(-297, world_x(0));
    EXPECT_EQ(297, world_x(594));
    EXPECT_EQ(248, world_y(0));
    EXPECT_EQ(-10, world_y(258));  // below the centre is negative
    EXPECT_EQ(0, client_x(-297));
    EXPECT_EQ(258, client_y(-10));
    origin_x = saved_x;
    origin_y = saved_y;
}

TEST_F(EventLoop, AClickQueuedBeforeTheWaitEndsItWithWorldCoordinatesAndKeyZero) {
    post_click(origin_x + 10, origin_y + 5);
    int x = -1, y = -1;
    char key = 'z';
    EXPECT_EQ(ZAVOK_MOUSE, wait(x, y, key));
    EXPECT_EQ(10, x);
    EXPECT_EQ(-5, y);
    EXPECT_EQ(0, key);
}

TEST_F(EventLoop, ATypedCharacterHasNoPositionAndTwoClicksAreTwoEvents) {
    post_char('A');
    int x = -1, y = -1;
    char key = 0;
    EXPECT_EQ(ZAVOK_KBD, wait(x, y, key));
    EXPECT_EQ('A', key);
    EXPECT_EQ(0, x);
    EXPECT_EQ(0, y);

    post_click(1, 1);
    post_click(2, 2);
    EXPECT_EQ(ZAVOK_MOUSE, wait(x, y, key));
    EXPECT_EQ(world_x(1), x);
    EXPECT_EQ(ZAVOK_MOUSE, wait(x, y, key));
    EXPECT_EQ(world_x(2), x);
}

TEST_F(EventLoop, CtrlAloneAndControlCharactersGiveNoEvent) {
    post_key(WM_KEYDOWN, VK_CONTROL);
    post_char(1);  // what the platform makes of Ctrl+A
    post_key(WM_KEYUP, VK_CONTROL);
    post_click_later(200, 3, 4);
    int x, y;
    char key;
    EXPECT_EQ(ZAVOK_MOUSE, wait(x, y, key));
    EXPECT_EQ(world_x(3), x);
    EXPECT_EQ(0, ctrl_down);
}

TEST_F(EventLoop, CtrlIsForgottenWhenItsReleaseCannotReachTheWindow) {
    post_key(WM_KEYDOWN, VK_CONTROL);
    post_click(0, 0);
    int x, y;
    char key;
    wait(x, y, key);
    ASSERT_EQ(1, ctrl_down);
    SendMessageA(graphics_window, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_EQ(0, ctrl_down);
    post_char('q');
    EXPECT_EQ(ZAVOK_KBD, wait(x, y, key));
    EXPECT_EQ('q', key);

    // Getting the focus back reads the key's real state: here it is up.
    post_key(WM_KEYDOWN, VK_CONTROL);
    post_click(0, 0);
    wait(x, y, key);
    ASSERT_EQ(1, ctrl_down);
    SendMessageA(graphics_window, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(0, ctrl_down);
    post_char('q');
    EXPECT_EQ(ZAVOK_KBD, wait(x, y, key));
    EXPECT_EQ('q', key);
}

TEST_F(EventLoop, AHaltedWaitWithoutInputDoesNotReturn) {
    const DWORD start = GetTickCount();
    post_click_later(400, 7, 8);
    int x, y;
    char key;
    EXPECT_EQ(ZAVOK_MOUSE, wait(x, y, key));
    EXPECT_EQ(world_x(7), x);
    EXPECT_GE(GetTickCount() - start, 300u);
}

TEST_F(EventLoop, RunningAnimationDeliversPeriodicEventsWithAllOutputsZero) {
    ZAVOK_animate(ANIMATE_RUN);
    for (int i = 0; i < 3; ++i) {
        int x = -1, y = -1;
        char key = 'k';
        EXPECT_EQ(ZAVOK_PERIODIC, wait(x, y, key));
        EXPECT_EQ(0, x);
        EXPECT_EQ(0, y);
        EXPECT_EQ(0, key);
    }
}

TEST_F(EventLoop, AClickPreemptsTheArmedPeriodicEventAndLosesASingleStep) {
    ZAVOK_animate(ANIMATE_RUN);
    post_click(5, 5);
    int x, y;
    char key;
    EXPECT_EQ(ZAVOK_MOUSE, wait(x, y, key));

    ZAVOK_animate(ANIMATE_HALT);
    ZAVOK_animate(ANIMATE_STEP);
    post_click(6, 6);  // taken in the first pass: the step is never armed and stays pending
    EXPECT_EQ(ZAVOK_MOUSE, wait(x, y, key));
    EXPECT_TRUE(single_step_pending);
    EXPECT_EQ(ZAVOK_PERIODIC, wait(x, y, key));
    EXPECT_FALSE(single_step_pending);

    ZAVOK_animate(ANIMATE_STEP);
    post_click_later(30, 9, 9);  // arrives while the armed step waits for its tick
    const int first = wait(x, y, key);
    if (first == ZAVOK_MOUSE) {
        EXPECT_FALSE(single_step_pending) << "the pre-empted single step is lost";
        post_click_later(400, 11, 11);
        EXPECT_EQ(ZAVOK_MOUSE, wait(x, y, key));
        EXPECT_EQ(world_x(11), x);
    }
}

TEST_F(EventLoop, AStepWhileRunningIsAbsorbedAndUnknownActionsChangeNothing) {
    EXPECT_EQ(1, ZAVOK_animate(ANIMATE_RUN));
    EXPECT_EQ(1, ZAVOK_animate(ANIMATE_STEP));
    EXPECT_TRUE(animation_running);
    int x, y;
    char key;
    EXPECT_EQ(ZAVOK_PERIODIC, wait(x, y, key));
    EXPECT_FALSE(single_step_pending);
    EXPECT_TRUE(animation_running);

    for (const int action : {3, 4, -1, 6, 100}) {
        EXPECT_EQ(1, ZAVOK_animate(action));
        EXPECT_TRUE(animation_running);
        EXPECT_FALSE(single_step_pending);
        EXPECT_FALSE(quit_requested);
    }
    EXPECT_EQ(1, ZAVOK_animate(ANIMATE_HALT));
    EXPECT_FALSE(animation_running);
}

TEST_F(EventLoop, AfterAnimateQuitEveryWaitReportsQuitOnceSomethingEndsIt) {
    ZAVOK_animate(ANIMATE_QUIT);
    post_click(origin_x + 1, origin_y);
    int x, y;
    char key;
    EXPECT_EQ(ZAVOK_QUIT, wait(x, y, key));
    EXPECT_EQ(1, x) << "the outputs are those of the event that ended the wait";
    ZAVOK_animate(ANIMATE_RUN);
    EXPECT_EQ(ZAVOK_QUIT, wait(x, y, key));
}

TEST_F(EventLoop, TheQuitMessageEndsTheWaitWithQuit) {
    PostQuitMessage(0);
    int x, y;
    char key;
    EXPECT_EQ(ZAVOK_QUIT, wait(x, y, key));
}

TEST_F(EventLoop, PaintingCopiesTheSurfaceAndClearsTheDirtyFlag) {
    surface_dirty = 1;
    InvalidateRect(graphics_window, nullptr, FALSE);
    UpdateWindow(graphics_window);
    EXPECT_EQ(0, surface_dirty);
}

}  // namespace
