// Where everything is on Kartello's screen, in world coordinates: the panel of buttons, the card,
// the status line. Drawing and hit-testing both derive from these, and the tests that click the
// real program read this file, so each value is one `constexpr int NAME = expression;` line over
// integers and the names above it.
#pragma once

// What every pass paints white first: the whole of the surface's visible part and a little more.
constexpr int AREA_LEFT = -300;
constexpr int AREA_BOTTOM = -250;
constexpr int AREA_RIGHT = 300;
constexpr int AREA_TOP = 250;

// The panel: BUTTON_COUNT buttons stacked downward from PANEL_TOP, each BUTTON_PITCH tall. Button
// i answers PANEL_TOP - BUTTON_PITCH * (i + 1) < y <= PANEL_TOP - BUTTON_PITCH * i; its frame,
// as tall as its band, is drawn FRAME_DROP lower, its label LABEL_DROP below the band's top.
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
constexpr int FRAME_DROP = 2;
constexpr int LABEL_DROP = 17;
constexpr int LABEL_X = -294;
constexpr int LABEL_PTSIZE = 12;

// The card: its coloured box, from (CARD_LEFT, CARD_BOTTOM) to (CARD_RIGHT, CARD_TOP), and the
// black border BORDER_GAP outside it.
constexpr int CARD_LEFT = -135;
constexpr int CARD_BOTTOM = -150;
constexpr int CARD_RIGHT = 220;
constexpr int CARD_TOP = 200;
constexpr int BORDER_GAP = 3;
constexpr int BORDER_WIDTH = 4;

// The title and the credits below it, left of the card.
constexpr int TITLE_X = -292;
constexpr int TITLE_Y = -10;
constexpr int TITLE_PTSIZE = 18;
constexpr int CREDITS_X = -283;
constexpr int CREDITS_Y = -30;
constexpr int CREDITS_PTSIZE = 13;

// The status line under the card; the long line of a selected object is drawn smaller.
constexpr int STATUS_X = -135;
constexpr int STATUS_Y = -190;
constexpr int STATUS_PTSIZE = 14;
constexpr int STATUS_LONG_PTSIZE = 11;
