// The card's objects, how a click changes them, and the designer's generator.
#include "designer.h"
#include "layout.h"

namespace {

// Squared 400 units: an object this far from a click, or farther, is never selected.
constexpr int64_t SELECT_LIMIT_SQUARED = int64_t{400} * 400;

uint32_t random_state = 1;

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

void random_seed(uint32_t seed) { random_state = seed; }

int random_next() {
    random_state = random_state * 214013u + 2531011u;
    return static_cast<int>((random_state >> 16) & 0x7FFFu);
}
