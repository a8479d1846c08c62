// Where everything is on Kartello's screen, in world coordinates: the panel of buttons, the card,
// the status line. Drawing and hit-testing both derive from these, and the tests that click the
// real program read this file, so each value is one `constexpr int NAME = expression;` line over
// integers and the names above it.
#pragma once

// The panel: BUTTON_COUNT buttons stacked downward from PANEL_TOP, each BUTTON_PITCH tall.
constexpr int BUTTON_COUNT = 6;
constexpr int BUTTON_BACKGROUND = 0;
constexpr int BUTTON_NEXT = 1;
constexpr int BUTTON_OBJECT_COLOUR = 2;
constexpr int BUTTON_ADD_SHAPE = 3;
constexpr int BUTTON_ADD_TEXT = 4;
constexpr int BUTTON_SELECT = 5;
constexpr int PANEL_TOP = 250;
constexpr int BUTTON_PITCH = 35;
constexpr int PANEL_BOTTOM = PANEL_TOP - BUTTON_COUNT * BUTTON_PITCH;
constexpr int PANEL_LEFT = -296;
constexpr int PANEL_RIGHT = -195;
constexpr int LABEL_X = -294;
constexpr int LABEL_PTSIZE = 12;

// The card: its coloured box, from (CARD_LEFT, CARD_BOTTOM) to (CARD_RIGHT, CARD_TOP).
constexpr int CARD_LEFT = -135;
constexpr int CARD_BOTTOM = -150;
constexpr int CARD_RIGHT = 220;
constexpr int CARD_TOP = 200;

// The status line under the card.
constexpr int STATUS_X = -135;
constexpr int STATUS_Y = -190;
