// Kartello's start-up, main loop and shutdown.
#include "designer.h"

#include <ctime>

int designer_main(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    // Static: the state outlives nothing but the run, and the stack need not hold it.
    static DesignerState state;
    init_designer_state(state);
    random_seed(static_cast<uint32_t>(std::time(nullptr)));

    ZAVOK_open(instance, previous, command_line, show);
    ZAVOK_show_text(0);
    ZAVOK_logging(0);
    ZAVOK_clear();
    ZAVOK_animate(ANIMATE_RUN);

    while (!state.designer_done) {
        clear_drawing_area();
        draw_card(state.background_colour, state.mode, state.object_count, state.objects);
        draw_panel(state.last_button);

        int x = 0;
        int y = 0;
        char key = 0;
        const int kind = ZAVOK_await_event(&x, &y, &key);
        if (kind == ZAVOK_MOUSE) handle_click(x, y, state);
        if (kind == ZAVOK_QUIT) state.designer_done = true;
    }

    ZAVOK_close();
    return 0;
}
