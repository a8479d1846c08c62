// The card's objects and every change a click makes to the designer's state: which region and
// button a point falls in, and what a press on each button does.
#include "designer.h"
#include "layout.h"

namespace {

// Squared 400 units: an object this far from a click, or farther, is never selected.
constexpr int64_t SELECT_LIMIT_SQUARED = int64_t{400} * 400;

// The button whose band holds y. Points above the panel's top get -1 rather than the 0 a
// truncating division would give, so they never pass for "Background color"; points below the
// last band get BUTTON_COUNT.
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

void init_designer_state(DesignerState &state) {
    state = DesignerState{};
    state.object_count = 0;
    state.selected_object = 0;
    state.mode = MODE_ADD_SHAPE;
    state.background_colour = COLOR_YELLOW;
    state.last_button = NO_BUTTON;
    state.designer_done = false;
}

int region_of(int x, int y) {
    if (x < PANEL_RIGHT && y < PANEL_TOP && y > PANEL_BOTTOM) return REGION_PANEL;
    if (x >= CARD_LEFT && x < CARD_RIGHT && y >= CARD_BOTTOM && y < CARD_TOP) return REGION_CARD;
    return REGION_OUTSIDE;
}

void add_object(int kind, int x, int y, DesignerState &state) {
    if (state.object_count >= MAX_OBJECTS) return;
    state.mode = MODE_OBJECT_SELECTED;
    const int n = state.object_count;
    CardObjects &objects = state.objects;
    objects.object_kind[n] = kind;
    objects.object_variant[n] = 0;
    objects.object_colour[n] = COLOR_BLACK;
    objects.object_x[n] = x;
    objects.object_y[n] = y;
    state.selected_object = n;
    state.object_count = n + 1;
}

void move_selected_object(int x, int y, DesignerState &state) {
    state.objects.object_x[state.selected_object] = x;
    state.objects.object_y[state.selected_object] = y;
}

int select_nearest_object(int x, int y, const CardObjects &objects, int object_count, int fallback) {
    int64_t best = SELECT_LIMIT_SQUARED;
    int result = fallback;
    for (int i = 0; i < object_count; ++i) {
        const int64_t dx = static_cast<int64_t>(x) - objects.object_x[i];
        const int64_t dy = static_cast<int64_t>(y) - objects.object_y[i];
        const int64_t distance_squared = dx * dx + dy * dy;
        if (distance_squared < best) {  // strict: the first added wins a tie
            best = distance_squared;
            result = i;
        }
    }
    return result;
}

void press_button(int x, int y, DesignerState &state) {
    if (x > PANEL_RIGHT) return;
    const int button = button_index(y);
    if (button < 0 || button >= BUTTON_COUNT) {
        state.mode = MODE_ERROR;
        return;
    }
    state.last_button = button;
    CardObjects &objects = state.objects;
    const int s = state.selected_object;
    const int kind = selected_kind(state);

    switch (button) {
        case BUTTON_BACKGROUND:
            state.background_colour = (state.background_colour + 1) % COLOR_COUNT;
            break;
        case BUTTON_NEXT:
            if (kind == OBJECT_SHAPE) objects.object_variant[s] = (objects.object_variant[s] + 1) % SHAPE_VARIANTS;
            if (kind == OBJECT_TEXT) objects.object_variant[s] = (objects.object_variant[s] + 1) % GREETING_VARIANTS;
            break;
        case BUTTON_OBJECT_COLOUR:
            if (kind == OBJECT_SHAPE || kind == OBJECT_TEXT) {
                objects.object_colour[s] = (objects.object_colour[s] + 1) % COLOR_COUNT;
            }
            break;
        case BUTTON_ADD_SHAPE:
            state.mode = MODE_ADD_SHAPE;
            break;
        case BUTTON_ADD_TEXT:
            state.mode = MODE_ADD_TEXT;
            break;
        case BUTTON_SELECT:
            state.mode = MODE_SELECT;
            break;
        default:
            break;
    }
}

void handle_click(int x, int y, DesignerState &state) {
    switch (region_of(x, y)) {
        case REGION_PANEL:
            press_button(x, y, state);
            break;
        case REGION_CARD:
            switch (state.mode) {
                case MODE_ADD_SHAPE:
                    add_object(OBJECT_SHAPE, x, y, state);
                    break;
                case MODE_ADD_TEXT:
                    add_object(OBJECT_TEXT, x, y, state);
                    break;
                case MODE_SELECT:
                    state.selected_object =
                        select_nearest_object(x, y, state.objects, state.object_count, state.selected_object);
                    state.mode = MODE_OBJECT_SELECTED;
                    break;
                case MODE_OBJECT_SELECTED:
                    move_selected_object(x, y, state);
                    break;
                default:
                    break;
            }
            break;
        default:
            break;
    }
}
