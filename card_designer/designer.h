// Kartello, the greeting-card designer: its state and the operations on it.
#pragma once

#include "zavok.h"

#include <cstdint>

constexpr int MAX_OBJECTS = 150;
constexpr int NO_BUTTON = -1;

enum ObjectKind { OBJECT_SHAPE = 1, OBJECT_TEXT = 2 };

enum Mode { MODE_ADD_SHAPE = 1, MODE_ADD_TEXT = 2, MODE_SELECT = 3, MODE_OBJECT_SELECTED = 4, MODE_ERROR = 999 };

enum Region { REGION_PANEL = 1, REGION_CARD = 2, REGION_OUTSIDE = 3 };

// The objects on the card, in the order they were added, as parallel columns.
struct CardObjects {
    int32_t object_kind[MAX_OBJECTS];  // OBJECT_SHAPE, OBJECT_TEXT, or 0 for an unused entry
    int32_t object_variant[MAX_OBJECTS];
    int32_t object_colour[MAX_OBJECTS];
    int32_t object_x[MAX_OBJECTS];  // anchor, world coordinates
    int32_t object_y[MAX_OBJECTS];
};

// Everything the designer knows; owned by designer_main for the whole run.
struct DesignerState {
    CardObjects objects;
    int32_t object_count;
    int32_t selected_object;  // what a move, "Next, please" and "Object color" act on
    int32_t mode;             // what a click on the card does
    int32_t background_colour;
    int32_t last_button;  // the panel button drawn highlighted
    bool designer_done;
};

// ---- Main loop (designer_main.cpp) ----
int designer_main(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);

// ---- Model: every change of state (card_model.cpp) ----
void init_designer_state(DesignerState &state);
void handle_click(int x, int y, DesignerState &state);
void add_object(int kind, int x, int y, DesignerState &state);
void move_selected_object(int x, int y, DesignerState &state);
// The object whose anchor is strictly nearest and nearer than 400 units; `fallback` when none is.
int select_nearest_object(int x, int y, const CardObjects &objects, int object_count, int fallback);
int region_of(int x, int y);
// What a click at (x, y) in the panel does: the button whose band holds y acts; a point right
// of the panel does nothing, one above or below the column puts the designer in MODE_ERROR.
void press_button(int x, int y, DesignerState &state);

// ---- The designer's own pseudo-random generator, the artwork's variation (random.cpp) ----
void random_seed(uint32_t seed);
int random_next();

// ---- Screen layout, button panel and status line (screen.cpp) ----
void clear_drawing_area();
void draw_card(int background_colour, int mode, int object_count, const CardObjects &objects);
void draw_panel(int last_button);

// ---- Shape and greeting artwork (artwork.cpp) ----
// The pictures an object's variant chooses among ("Next, please" steps through them).
constexpr int SHAPE_VARIANTS = 7;
constexpr int GREETING_VARIANTS = 6;
void draw_shape(int variant, int colour, int x, int y);
void draw_greeting(int variant, int colour, int x, int y);
void draw_heart(int x, int y, int colour);
void draw_starburst(int x, int y, int colour);
void draw_arrow_right(int x, int y, int colour);
void draw_arrow_left(int x, int y, int colour);
void draw_cake(int x, int y, int colour);
void draw_balloons(int x, int y, int colour);
void draw_tree(int x, int y, int colour);
