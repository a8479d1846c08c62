// Prints the card designer's first pseudo-random number after seeding its generator with each
// number given, one a line: the seed is the seconds since 1970 that Kartello's clock reads at
// start-up, so the replay test learns from the designer's own generator which heart a replay at
// a given calendar time must show.
#include "designer.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        random_seed(static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10)));
        std::printf("%d\n", random_next());
    }
    return 0;
}
