// Reading back what the designer drew: the drawing calls' log lines and the surface's pixels.
#pragma once

#include "../../graphics/console/console_internal.h"
#include "../../graphics/window/window_internal.h"
#include "designer.h"

#include <algorithm>
#include <string>
#include <vector>

inline const char *capture_mark() { return "-- capture starts here --"; }

// Logs every drawing call from here on; captured_lines() then returns what was printed.
inline void start_capture() {
    ZAVOK_printf("%s\n", capture_mark());
    logging_enabled = true;
}

// The messages printed since start_capture() (at most 24), oldest first, without their
// final newline. Switches logging off again.
inline std::vector<std::string> captured_lines() {
    logging_enabled = false;
    std::vector<std::string> texts;
    for (int slot = message_ring.head, taken = 0; slot >= 0 && !(slot == message_ring.tail && taken > 0); ++taken) {
        const char *text = static_cast<const char *>(GlobalLock(message_ring.blocks[slot]));
        texts.emplace_back(text != nullptr ? text : "");
        GlobalUnlock(message_ring.blocks[slot]);
        if (!texts.back().empty() && texts.back().back() == '\n') texts.back().pop_back();
        slot = (slot + 1) % RING_SIZE;
    }
    const auto mark = std::find(texts.rbegin(), texts.rend(), capture_mark());
    if (mark == texts.rend()) return {"(no capture mark in the message ring)"};
    return std::vector<std::string>(mark.base(), texts.end());
}

inline COLORREF pixel_at(int x, int y) { return GetPixel(surface_dc, client_x(x), client_y(y)); }

// The pixels of the world box from (left, bottom) to (right, top).
inline std::vector<COLORREF> pixels_in(int left, int bottom, int right, int top) {
    std::vector<COLORREF> pixels;
    for (int y = top; y >= bottom; --y) {
        for (int x = left; x <= right; ++x) pixels.push_back(pixel_at(x, y));
    }
    return pixels;
}

inline bool box_has(COLORREF colour, int left, int bottom, int right, int top) {
    const std::vector<COLORREF> pixels = pixels_in(left, bottom, right, top);
    return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

// A seed whose first random_next() leaves `remainder` modulo `divisor`.
inline unsigned seed_giving(int divisor, int remainder) {
    unsigned seed = 1;
    for (random_seed(seed); random_next() % divisor != remainder; random_seed(++seed)) {
    }
    return seed;
}

// The number that random_next() returns at position n (0 = the first) after seeding.
inline int nth_random(unsigned seed, int n) {
    random_seed(seed);
    for (int i = 0; i < n; ++i) random_next();
    return random_next();
}
