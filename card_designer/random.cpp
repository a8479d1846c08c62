// The designer's own pseudo-random generator: the artwork's variation, the same on every
// platform for one seed, so recorded sessions replay the same frames.
#include "designer.h"

namespace {

uint32_t random_state = 1;

}  // namespace

void random_seed(uint32_t seed) { random_state = seed; }

int random_next() {
    random_state = random_state * 214013u + 2531011u;
    return static_cast<int>((random_state >> 16) & 0x7FFFu);
}
