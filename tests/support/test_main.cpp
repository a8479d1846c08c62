// Opens the package once for the whole test program, with a watchdog against hung waits.
#include "zavok.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

constexpr int WATCHDOG_SECONDS = 240;

void start_watchdog() {
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(WATCHDOG_SECONDS));
        std::fprintf(stderr, "watchdog: the test program ran longer than %d s; ending it\n", WATCHDOG_SECONDS);
        std::fflush(stderr);
        std::_Exit(3);
    }).detach();
}

}  // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    start_watchdog();
    ZAVOK_open(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    return RUN_ALL_TESTS();
}
