// Reads back what ZAVOK_printf stored in the message ring.
#pragma once

#include "../../graphics/console/console_internal.h"

#include <string>
#include <vector>

// The text of one ring block, read through a lock as the repaint reads it.
inline std::string block_text(HGLOBAL block) {
    const char *const text = static_cast<const char *>(GlobalLock(block));
    if (text == nullptr) return "<unlockable block>";
    std::string copy(text);
    GlobalUnlock(block);
    return copy;
}

// The messages printed since it was made, oldest first; good for fewer than 25 of them.
class PrintedSince {
public:
    PrintedSince() : start_tail_(message_ring.tail) {}

    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        if (message_ring.head < 0) return texts;
        const int count = (message_ring.tail - start_tail_ + RING_SIZE) % RING_SIZE;
        for (int i = 0; i < count; ++i) texts.push_back(block_text(message_ring.blocks[(start_tail_ + i) % RING_SIZE]));
        return texts;
    }

private:
    int start_tail_;
};
