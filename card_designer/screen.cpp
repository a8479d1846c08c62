// Kartello's screen: the drawing area, the card with its title, credits and status line, and
// the column of buttons with what each press does.
#include "designer.h"
#include "layout.h"

#include <cstdint>

namespace {

constexpr int LABEL_SLOT = 25;

// Each label lives in a fixed slot, zero-filled after its terminating NUL.
const char button_labels[BUTTON_COUNT][LABEL_SLOT] = {
    "Background color", "Next, please", "Object color", "Add shape", "Add text", "Select object",
};

constexpr int SHAPE_VARIANTS = 7;
constexpr int GREETING_VARIANTS = 6;
constexpr int PALETTE_SIZE = 24;

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
            return {COLOR_GREEN, 14, "Click on the card to add a shape"};
        case MODE_ADD_TEXT:
            return {COLOR_BLUE, 14, "Click on the card to add some text"};
        case MODE_SELECT:
            return {COLOR_BLUE, 14, "Click near an object to select it"};
        case MODE_OBJECT_SELECTED:
            return {COLOR_RED, 11, "Object selected. Click on card to move object or select next or object color"};
        default:
            return {COLOR_BLACK, 14, "Status error -- notify programmer"};
    }
}

// Button i answers 250 - 35(i+1) < y <= 250 - 35i. Points above the panel's top get -1 rather
// than the 0 a truncating division would give, so they never pass for "Background color".
int button_index(int y) {
    const int64_t below_top = static_cast<int64_t>(PANEL_TOP) - y;
    if (below_top < 0) return -1;
    const int64_t index = below_top / BUTTON_PITCH;
    return index < BUTTON_COUNT ? static_cast<int>(index) : BUTTON_COUNT;
}

// The kind of the selected entry, or 0 when the selection names no entry of the table.
int selected_kind(const DesignerState &state) {
    const int s = state.selected_object;
    if (s < 0 || s >= MAX_OBJECTS) return 0;
    return state.objects.object_kind[s];
}

}  // namespace

void clear_drawing_area() { ZAVOK_rectangle(COLOR_WHITE, -300, -250, 300, 250, 0); }

void draw_card(int background_colour, int mode, int object_count, const CardObjects &objects) {
    ZAVOK_rectangle(background_colour, CARD_LEFT, CARD_BOTTOM, CARD_RIGHT, CARD_TOP, 0);
    ZAVOK_rectangle(COLOR_BLACK, CARD_LEFT - 3, CARD_BOTTOM - 3, CARD_RIGHT + 3, CARD_TOP + 3, 4);
    ZAVOK_printf_at(COLOR_BLUE, -292, -10, 18, "Kartello");
    ZAVOK_printf_at(COLOR_RED, -283, -30, 13, CREDIT_BLOCK);

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
        ZAVOK_rectangle(COLOR_BLACK, PANEL_LEFT, top - 2, PANEL_RIGHT, top - 37, 1);
        const int colour = i == last_button ? COLOR_RED : COLOR_BLACK;
        ZAVOK_printf_at(colour, LABEL_X, top - 17, LABEL_PTSIZE, button_labels[i]);
    }
}

void press_button(int x, int y, DesignerState &state) {
    if (x > PANEL_RIGHT) return;
    CardObjects &objects = state.objects;
    const int s = state.selected_object;
    const int kind = selected_kind(state);

    switch (button_index(y)) {
        case BUTTON_BACKGROUND:
            state.background_colour = (state.background_colour + 1) % PALETTE_SIZE;
            state.last_button = BUTTON_BACKGROUND;
            break;
        case BUTTON_NEXT:
            if (kind == OBJECT_SHAPE) objects.object_variant[s] = (objects.object_variant[s] + 1) % SHAPE_VARIANTS;
            if (kind == OBJECT_TEXT) objects.object_variant[s] = (objects.object_variant[s] + 1) % GREETING_VARIANTS;
            state.last_button = BUTTON_NEXT;
            break;
        case BUTTON_OBJECT_COLOUR:
            if (kind == OBJECT_SHAPE || kind == OBJECT_TEXT) {
                objects.object_colour[s] = (objects.object_colour[s] + 1) % PALETTE_SIZE;
            }
            state.last_button = BUTTON_OBJECT_COLOUR;
            break;
        case BUTTON_ADD_SHAPE:
            state.mode = MODE_ADD_SHAPE;
            state.last_button = BUTTON_ADD_SHAPE;
            break;
        case BUTTON_ADD_TEXT:
            state.mode = MODE_ADD_TEXT;
            state.last_button = BUTTON_ADD_TEXT;
            break;
        case BUTTON_SELECT:
            state.mode = MODE_SELECT;
            state.last_button = BUTTON_SELECT;
            break;
        default:
            state.mode = MODE_ERROR;
            break;
    }
}
