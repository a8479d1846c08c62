// Plays script files through the package's real playback, under the real C runtime, and writes
// down every event: the Wine half of the differential check of script reading (differential.py
// is the other half). Usage: script_player LIST OUTPUT, where LIST names one script file a line.
// For each, the file is copied to ZAVOK.SCR and played with the Playback command through
// ZAVOK_await_event until playback stops or CAP events have come. OUTPUT gets, per file:
//   FILE name
//   M x y | K code | P count     (the events; periodic events that follow each other as one run)
//   END eof | stop | cap         (the end of the file was reported / playback stopped silently / the cap)
#include "zavok.h"

#include "../../graphics/console/console_internal.h"
#include "../../graphics/script/script_internal.h"
#include "../../graphics/window/window_internal.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr long long CAP = 1000;  // events per file: a PERIODIC line may stand for 2^31 - 1

std::string read_bytes(const char *name) {
    std::string bytes;
    FILE *file = std::fopen(name, "rb");
    if (file == nullptr) return bytes;
    char buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
    std::fclose(file);
    return bytes;
}

bool write_bytes(const char *name, const std::string &bytes) {
    FILE *file = std::fopen(name, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

void dispatch_pending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string last_message() {
    if (message_ring.head < 0) return "";
    const HGLOBAL block = message_ring.blocks[(message_ring.tail + RING_SIZE - 1) % RING_SIZE];
    const char *text = static_cast<const char *>(GlobalLock(block));
    const std::string copy = text != nullptr ? text : "";
    GlobalUnlock(block);
    return copy;
}

struct Output {
    std::string text;
    long long run = 0;  // periodic events not yet written
    void flush_run() {
        if (run > 0) text += "P " + std::to_string(run) + "\n";
        run = 0;
    }
};

void play_file(const std::string &name, Output &out) {
    out.text += "FILE " + name + "\n";
    if (!write_bytes(SCRIPT_FILE_NAME, read_bytes(name.c_str()))) {
        out.text += "END copy-failed\n";
        return;
    }
    dispatch_pending();
    const int32_t mark = message_ring.tail;
    run_command(RUN_PLAYBACK);
    long long events = 0;
    while (events < CAP) {
        // A click at the origin, (0, 0), in every wait: it ends the wait once playback has
        // stopped, and where the script gives an event it is overwritten by it.
        PostMessageA(graphics_window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(origin_x, origin_y));
        int x = 0, y = 0;
        char key = 0;
        const int kind = ZAVOK_await_event(&x, &y, &key);
        if (!script_playing) break;
        ++events;
        if (kind == ZAVOK_PERIODIC) {
            out.run += 1;
            continue;
        }
        out.flush_run();
        if (kind == ZAVOK_MOUSE) out.text += "M " + std::to_string(x) + " " + std::to_string(y) + "\n";
        else if (kind == ZAVOK_KBD) out.text += "K " + std::to_string(static_cast<unsigned char>(key)) + "\n";
        else out.text += "? " + std::to_string(kind) + "\n";
    }
    out.flush_run();
    if (script_playing) {
        out.text += "END cap\n";
        run_command(RUN_PLAYBACK);
    } else if (message_ring.tail != mark && last_message() == "EOF encountered in script file " ZAVOK_SCRIPT_FILE "\n") {
        out.text += "END eof\n";
    } else {
        out.text += "END stop\n";
    }
    script_close();
    periodic_count = 0;  // what a capped run still owed
    dispatch_pending();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: script_player LIST OUTPUT\n");
        return 2;
    }
    const std::string list = read_bytes(argv[1]);
    ZAVOK_open(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    ZAVOK_show_text(0);
    ZAVOK_logging(0);
    ZAVOK_animate(ANIMATE_HALT);
    Output out;
    std::size_t at = 0;
    while (at < list.size()) {
        std::size_t end = list.find('\n', at);
        if (end == std::string::npos) end = list.size();
        const std::string name = list.substr(at, end - at);
        if (!name.empty()) play_file(name, out);
        at = end + 1;
    }
    std::remove(SCRIPT_FILE_NAME);
    const bool written = write_bytes(argv[2], out.text);
    ZAVOK_close();
    return written ? 0 : 1;
}
