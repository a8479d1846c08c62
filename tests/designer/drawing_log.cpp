#include "drawing_log.h"

#include "../../graphics/console/console_internal.h"
#include "../../graphics/window/window_internal.h"
#include "designer.h"

#include <algorithm>

namespace {

const char CAPTURE_MARK[] = "-- capture starts here --";

std::vector<std::string> ring_texts() {
    std::vector<std::string> texts;
    int slot = message_ring.head;
    for (int taken = 0; slot >= 0 && !(slot == message_ring.tail && taken > 0); ++taken) {
        HGLOBAL block = message_ring.blocks[slot];
        const char *text = block != nullptr ? static_cast<const char *>(GlobalLock(block)) : nullptr;
        std::string copy = text != nullptr ? text : "";
        if (text != nullptr) GlobalUnlock(block);
        if (!copy.empty() && copy.back() == '\n') copy.pop_back();
        texts.push_back(copy);
        slot = (slot + 1) % RING_SIZE;
    }
    return texts;
}

}  // namespace

void start_capture() {
    ZAVOK_printf("%s\n", CAPTURE_MARK);
    logging_enabled = true;
}

std::vector<std::string> captured_lines() {
    logging_enabled = false;
    const std::vector<std::string> texts = ring_texts();
    const auto mark = std::find(texts.rbegin(), texts.rend(), CAPTURE_MARK);
    if (mark == texts.rend()) return {"(the capture mark has left the message ring)"};
    return std::vector<std::string>(mark.base(), texts.end());
}

COLORREF pixel_at(int x, int y) { return GetPixel(surface_dc, client_x(x), client_y(y)); }

std::vector<COLORREF> pixels_in(int left, int bottom, int right, int top) {
    std::vector<COLORREF> pixels;
    for (int y = top; y >= bottom; --y) {
        for (int x = left; x <= right; ++x) pixels.push_back(pixel_at(x, y));
    }
    return pixels;
}

bool box_has_colour(int left, int bottom, int right, int top, COLORREF colour) {
    const std::vector<COLORREF> pixels = pixels_in(left, bottom, right, top);
    return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

unsigned seed_giving(int divisor, int remainder) {
    for (unsigned seed = 1;; ++seed) {
        random_seed(seed);
        if (random_next() % divisor == remainder) return seed;
    }
}

int nth_random(unsigned seed, int n) {
    random_seed(seed);
    int value = 0;
    for (int i = 0; i <= n; ++i) value = random_next();
    return value;
}
