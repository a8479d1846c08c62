// zavok_text: prints the lines of the "ZAVOK Text" window of the ZAVOK program running in this
// Wine session, read from the window's pixels.
//
//   zavok_text [--show] [--timeout MS]
//   zavok_text --glyph-classes
//
// --show first shows the window if it is hidden (a hidden window paints no lines) and leaves it
// shown: the program sees its text window visible from then on (and moved clear of the
// graphics window, shorter, where they overlapped). MS bounds each wait for the
// program (2000 by default). Exit status: 0 lines printed, 1 no text window, 2 the window is
// hidden (without --show), 3 the program did not answer in time, 4 an error.
// --glyph-classes prints, for every code whose glyph looks exactly like a lower code's, the two
// codes in hex ("CB CA": a cell of 0xCB reads as 0xCA), one pair a line.
#include "text_reader.h"
#include "zavok_ids.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char **argv) {
    bool show = false;
    DWORD timeout_ms = 2000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--show") == 0) {
            show = true;
        } else if (std::strcmp(argv[i], "--glyph-classes") == 0) {
            unsigned char same[256];
            if (zavok_text_glyph_classes(same) != ZAVOK_TEXT_OK) return ZAVOK_TEXT_FAILED;
            for (int code = 0; code < 256; ++code)
                if (same[code] != code) std::printf("%02X %02X\n", code, same[code]);
            return ZAVOK_TEXT_OK;
        } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            timeout_ms = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            std::fprintf(stderr, "usage: zavok_text [--show] [--timeout MS] | --glyph-classes\n");
            return ZAVOK_TEXT_FAILED;
        }
    }
    const HWND window = zavok_text_find_window();
    if (window == nullptr) {
        std::fprintf(stderr, "zavok_text: no \"ZAVOK Text\" window\n");
        return ZAVOK_TEXT_NO_WINDOW;
    }
    if (show) {
        int was_hidden = 0;
        RECT graphics = {};
        const HWND graphics_window = FindWindowA(ZAVOK_GRAPHICS_CLASS, ZAVOK_GRAPHICS_TITLE);
        const bool placed = graphics_window != nullptr && GetWindowRect(graphics_window, &graphics);
        const int shown = zavok_text_show(window, placed ? &graphics : nullptr, timeout_ms, &was_hidden);
        if (shown != ZAVOK_TEXT_OK) return shown;
        if (was_hidden) std::fprintf(stderr, "zavok_text: the text window was hidden and is shown now\n");
    }
    std::vector<char> text(1 << 20);
    int uncertain = 0;
    const int status = zavok_text_read(window, timeout_ms, 0, text.data(), text.size(), &uncertain);
    if (status == ZAVOK_TEXT_HIDDEN) std::fprintf(stderr, "zavok_text: the text window is hidden (try --show)\n");
    if (status != ZAVOK_TEXT_OK) return status;
    if (uncertain > 0) std::fprintf(stderr, "zavok_text: %d cells read uncertainly\n", uncertain);
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF, as on the Linux side
    std::fwrite(text.data(), 1, std::strlen(text.data()), stdout);
    return std::fflush(stdout) == 0 ? ZAVOK_TEXT_OK : ZAVOK_TEXT_FAILED;
}
