// Closing the graphics window ends the program's wait (a program of its own: it destroys the window).
#include "zavok.h"

#include "../../graphics/window/window_internal.h"

#include <gtest/gtest.h>

TEST(WindowClose, ClosingTheGraphicsWindowEndsTheWaitWithQuit) {
    ZAVOK_animate(ANIMATE_RUN);
    PostMessageA(graphics_window, WM_CLOSE, 0, 0);
    int x, y;
    char key;
    int kind = ZAVOK_await_event(&x, &y, &key);
    for (int i = 0; i < 100 && kind == ZAVOK_PERIODIC; ++i) kind = ZAVOK_await_event(&x, &y, &key);
    EXPECT_EQ(ZAVOK_QUIT, kind);
    EXPECT_FALSE(IsWindow(graphics_window));
    EXPECT_EQ(1, ZAVOK_close());
}
