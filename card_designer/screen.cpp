// Kartello's screen: the drawing area, the card with its title, credits and status line, and
// the column of buttons.
#include "designer.h"
#include "layout.h"

#include <cstdint>

namespace {

constexpr int LABEL_SLOT = 25;

// Each label lives in a fixed slot, zero-filled after its terminating NUL.
const char button_labels[BUTTON_COUNT][LABEL_SLOT] = {
    "Background color", "Next, please", "Object color", "Add shape", "Add text", "Select object",
};

// Plain text only: every text here is handed to the drawing call as its format.
const char CREDIT_BLOCK[] =
    "Created by:\n"
    "The Kartello team\n"
    "Greeting-card designer\n"
    "December 2026";

struct StatusLine {
    int32_t colour;
    int32_t ptsize;
    const char *text;
};

StatusLine status_for(int mode) {
    switch (mode) {
        case MODE_ADD_SHAPE:
            return {COLOR_GREEN, STATUS_PTSIZE, "Click on the card to add a shape"};
        case MODE_ADD_TEXT:
            return {COLOR_BLUE, STATUS_PTSIZE, "Click on the card to add some text"};
        case MODE_SELECT:
            return {COLOR_BLUE, STATUS_PTSIZE, "Click near an object to select it"};
        case MODE_OBJECT_SELECTED:
            return {COLOR_RED, STATUS_LONG_PTSIZE,
                    "Object selected. Click on card to move object or select next or object color"};
        default:
            return {COLOR_BLACK, STATUS_PTSIZE, "Status error -- notify programmer"};
    }
}

}  // namespace

void clear_drawing_area() { ZAVOK_rectangle(COLOR_WHITE, AREA_LEFT, AREA_BOTTOM, AREA_RIGHT, AREA_TOP, 0); }

void draw_card(int background_colour, int mode, int object_count, const CardObjects &objects) {
    ZAVOK_rectangle(background_colour, CARD_LEFT, CARD_BOTTOM, CARD_RIGHT, CARD_TOP, 0);
    ZAVOK_rectangle(COLOR_BLACK, CARD_LEFT - BORDER_GAP, CARD_BOTTOM - BORDER_GAP, CARD_RIGHT + BORDER_GAP,
                    CARD_TOP + BORDER_GAP, BORDER_WIDTH);
    ZAVOK_printf_at(COLOR_BLUE, TITLE_X, TITLE_Y, TITLE_PTSIZE, "Kartello");
    ZAVOK_printf_at(COLOR_RED, CREDITS_X, CREDITS_Y, CREDITS_PTSIZE, CREDIT_BLOCK);

    const int count = object_count < 0 ? 0 : (object_count > MAX_OBJECTS ? MAX_OBJECTS : object_count);
    for (int i = 0; i < count; ++i) {
        const int variant = objects.object_variant[i];
        const int colour = objects.object_colour[i];
        const int x = objects.object_x[i];
        const int y = objects.object_y[i];
        if (objects.object_kind[i] == OBJECT_SHAPE) draw_shape(variant, colour, x, y);
        if (objects.object_kind[i] == OBJECT_TEXT) draw_greeting(variant, colour, x, y);
    }

    const StatusLine status = status_for(mode);
    ZAVOK_printf_at(status.colour, STATUS_X, STATUS_Y, status.ptsize, status.text);
}

void draw_panel(int last_button) {
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        const int top = PANEL_TOP - BUTTON_PITCH * i;
        ZAVOK_rectangle(COLOR_BLACK, PANEL_LEFT, top - FRAME_DROP, PANEL_RIGHT, top - FRAME_DROP - BUTTON_PITCH, 1);
        const int colour = i == last_button ? COLOR_RED : COLOR_BLACK;
        ZAVOK_printf_at(colour, LABEL_X, top - LABEL_DROP, LABEL_PTSIZE, button_labels[i]);
    }
}
