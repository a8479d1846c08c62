// Reads the "ZAVOK Text" window's lines from its pixels. The window paints each message as one
// line with the stock fixed font, black on white, at 5 pixels from the left edge, the newest
// line at the bottom and each older one a line height above it; so every character sits in a
// cell of a fixed grid, and a cell can be matched against the glyphs of the same font rendered
// here.
#include "text_reader.h"

#include "canvas.h"
#include "zavok_ids.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int LEFT_MARGIN = 5;     // where the window's line painter starts each line
constexpr COLORREF INK = RGB(0, 0, 0);
constexpr COLORREF PAPER = RGB(255, 255, 255);
constexpr DWORD POLL_MS = 5;
constexpr DWORD SETTLE_MS = 20;

using Pixels = std::vector<uint32_t>;

// Paper everywhere, then the text as the window paints it: the stock fixed font, the device
// context's default colours and opaque background.
void draw_text(Canvas &canvas, int x, const char *text, int length) {
    const RECT all = {0, 0, canvas.width, canvas.height};
    const HBRUSH paper = CreateSolidBrush(PAPER);
    FillRect(canvas.dc, &all, paper);
    DeleteObject(paper);
    const HGDIOBJ font = SelectObject(canvas.dc, GetStockObject(ANSI_FIXED_FONT));
    SetTextColor(canvas.dc, INK);
    SetBkColor(canvas.dc, PAPER);
    SetBkMode(canvas.dc, OPAQUE);
    TextOutA(canvas.dc, x, 0, text, length);
    SelectObject(canvas.dc, font);
    GdiFlush();
}

// Pixels row by row from the top, 0x00RRGGBB (the unused byte ignored): a canvas's, or a window's
// handed over by the other side.
struct Image {
    const uint32_t *pixels;
    int width;
};

Image image_of(const Canvas &canvas) { return {canvas.pixels, canvas.width}; }

// The pixels of the cell at (x, y), row by row, colour only.
Pixels cell(const Image &image, int x, int y, int w, int h) {
    Pixels out(static_cast<size_t>(w) * h);
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            out[static_cast<size_t>(row) * w + column] =
                image.pixels[static_cast<size_t>(y + row) * image.width + x + column] & 0xFFFFFFu;
    return out;
}

struct Glyphs {
    int cell_width = 0;
    int line_height = 0;
    std::vector<unsigned char> codes;
    std::vector<Pixels> cells;                     // one per code, in the same order
    std::map<Pixels, unsigned char> exact;         // a cell's pixels to the lowest code drawn so
};

// Renders every printable code of the ANSI code page alone, in the middle of a strip three
// cells wide, and keeps its own cell.
bool make_glyphs(Glyphs &glyphs) {
    Canvas probe(1, 1);
    if (!probe.ok()) return false;
    const HGDIOBJ font = SelectObject(probe.dc, GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA metrics;
    SIZE size;
    const bool measured = GetTextMetricsA(probe.dc, &metrics) && GetTextExtentPoint32A(probe.dc, "M", 1, &size);
    SelectObject(probe.dc, font);
    if (!measured || size.cx <= 0) return false;
    glyphs.cell_width = size.cx;
    glyphs.line_height = metrics.tmHeight + metrics.tmExternalLeading;

    Canvas strip(3 * glyphs.cell_width, glyphs.line_height);
    if (!strip.ok()) return false;
    for (int code = 0x20; code <= 0xFF; ++code) {
        if (code == 0x7F) continue;
        const char character = static_cast<char>(code);
        draw_text(strip, glyphs.cell_width, &character, 1);
        Pixels glyph = cell(image_of(strip), glyphs.cell_width, 0, glyphs.cell_width, glyphs.line_height);
        glyphs.exact.emplace(glyph, static_cast<unsigned char>(code));  // keeps the lowest code
        glyphs.codes.push_back(static_cast<unsigned char>(code));
        glyphs.cells.push_back(std::move(glyph));
    }
    return true;
}

// The code whose glyph is the cell, or else the one with the fewest differing pixels.
unsigned char recognise(const Glyphs &glyphs, const Pixels &cell) {
    const auto found = glyphs.exact.find(cell);
    if (found != glyphs.exact.end()) return found->second;
    size_t best = 0, best_score = SIZE_MAX;
    for (size_t i = 0; i < glyphs.cells.size(); ++i) {
        size_t score = 0;
        for (size_t p = 0; p < cell.size() && score < best_score; ++p) score += cell[p] != glyphs.cells[i][p];
        if (score < best_score) best_score = score, best = i;
    }
    return glyphs.codes[best];
}

bool append_utf8(std::string &out, const std::string &ansi) {
    if (ansi.empty()) return true;
    const int wide_length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], wide_length);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, &out[at], length, nullptr, nullptr);
    return true;
}

// Sends the window a message that does nothing and waits for the answer: the program answers
// only from its message loop, so once it has, it has finished what it was doing.
int round_trip(HWND window, DWORD timeout_ms) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &result) != 0) return ZAVOK_TEXT_OK;
    return IsWindow(window) ? ZAVOK_TEXT_TIMEOUT : ZAVOK_TEXT_NO_WINDOW;
}

// Once a window just shown has painted, its pixels reach the X server, where other processes
// read them, only when the program next finds its queue empty, which can be after it has
// answered a round trip; on a busy machine a read then finds the window half drawn. So the
// window is read until two reads SETTLE_MS apart agree.
int await_settled_pixels(HWND window, DWORD started, DWORD timeout_ms) {
    RECT client;
    if (!GetClientRect(window, &client)) return ZAVOK_TEXT_NO_WINDOW;
    if (client.right <= client.left || client.bottom <= client.top) return ZAVOK_TEXT_OK;
    Canvas before(client.right - client.left, client.bottom - client.top);
    Canvas after(before.width, before.height);
    if (!copy_window(window, before)) return ZAVOK_TEXT_FAILED;
    const size_t size = static_cast<size_t>(before.width) * static_cast<size_t>(before.height);
    for (;;) {
        Sleep(SETTLE_MS);
        if (!copy_window(window, after)) return ZAVOK_TEXT_FAILED;
        if (std::equal(before.pixels, before.pixels + size, after.pixels)) return ZAVOK_TEXT_OK;
        std::copy(after.pixels, after.pixels + size, before.pixels);
        if (GetTickCount() - started >= timeout_ms) return ZAVOK_TEXT_TIMEOUT;
    }
}

}  // namespace

extern "C" HWND zavok_text_find_window(void) { return FindWindowA(ZAVOK_TEXT_CLASS, ZAVOK_TEXT_TITLE); }

extern "C" int zavok_text_show(HWND window, const RECT *clear_of, DWORD timeout_ms, int *was_hidden) {
    if (was_hidden != nullptr) *was_hidden = 0;
    if (!IsWindow(window)) return ZAVOK_TEXT_NO_WINDOW;
    if (IsWindowVisible(window)) return ZAVOK_TEXT_OK;
    if (was_hidden != nullptr) *was_hidden = 1;
    // Where windows overlap on Wine's virtual desktop, the lower one's pixels there read black,
    // whatever the order: so the window is moved clear of the other, its bottom edge kept.
    RECT place = {};
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_ASYNCWINDOWPOS;
    if (!GetWindowRect(window, &place)) return ZAVOK_TEXT_NO_WINDOW;
    RECT overlap = {};
    if (clear_of != nullptr && IntersectRect(&overlap, &place, clear_of) && clear_of->bottom < place.bottom)
        place.top = clear_of->bottom;
    else
        flags |= SWP_NOMOVE | SWP_NOSIZE;
    // Asynchronous, so a busy program cannot hold this process; not activated, so the keyboard
    // focus stays where the program has it.
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top, flags);
    const DWORD started = GetTickCount();
    for (;;) {
        // Shown, and its repaint begun (BeginPaint empties the update region); the round trip
        // then waits for the repaint to end.
        if (IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE)) {
            const DWORD spent = GetTickCount() - started;
            const int answered = round_trip(window, spent < timeout_ms ? timeout_ms - spent : 1);
            return answered == ZAVOK_TEXT_OK ? await_settled_pixels(window, started, timeout_ms) : answered;
        }
        if (!IsWindow(window)) return ZAVOK_TEXT_NO_WINDOW;
        if (GetTickCount() - started >= timeout_ms) return ZAVOK_TEXT_TIMEOUT;
        Sleep(POLL_MS);
    }
}

namespace {
const Glyphs *session_glyphs() {
    static Glyphs glyphs;  // the font does not change within a session
    if (glyphs.cells.empty() && !make_glyphs(glyphs)) return nullptr;
    return &glyphs;
}
}  // namespace

extern "C" int zavok_text_glyph_classes(unsigned char same[256]) {
    const Glyphs *const glyphs = session_glyphs();
    if (glyphs == nullptr) return ZAVOK_TEXT_FAILED;
    for (int code = 0; code < 256; ++code) same[code] = static_cast<unsigned char>(code);
    for (size_t i = 0; i < glyphs->codes.size(); ++i) same[glyphs->codes[i]] = glyphs->exact.at(glyphs->cells[i]);
    return ZAVOK_TEXT_OK;
}

namespace {
// What each line of the last read was: a replay reads the window after every event, and an
// event prints a line or none, which scrolls the others up unchanged; so a strip of pixels seen
// in the last read need not be matched again. Only the last read's are kept.
struct ReadLine {
    std::string text;
    int doubtful = 0;
};
std::map<Pixels, ReadLine> last_lines;
}  // namespace

extern "C" int zavok_text_read(HWND window, DWORD timeout_ms, int top_row, char *out, size_t out_size,
                               int *uncertain) {
    if (uncertain != nullptr) *uncertain = 0;
    if (out == nullptr || out_size == 0) return ZAVOK_TEXT_FAILED;
    out[0] = '\0';
    if (!IsWindow(window)) return ZAVOK_TEXT_NO_WINDOW;
    const int synced = round_trip(window, timeout_ms);
    if (synced != ZAVOK_TEXT_OK) return synced;
    if (!IsWindowVisible(window)) return ZAVOK_TEXT_HIDDEN;
    RECT client;
    if (!GetClientRect(window, &client)) return ZAVOK_TEXT_NO_WINDOW;
    Canvas shot(client.right - client.left, client.bottom - client.top);
    if (shot.width > 0 && shot.height > 0 && !copy_window(window, shot)) return ZAVOK_TEXT_FAILED;  // or no canvas
    return zavok_text_read_pixels(shot.pixels, shot.width, shot.height, top_row, out, out_size, uncertain);
}

extern "C" int zavok_text_read_pixels(const uint32_t *pixels, int width, int height, int top_row, char *out,
                                      size_t out_size, int *uncertain) {
    if (uncertain != nullptr) *uncertain = 0;
    if (out == nullptr || out_size == 0) return ZAVOK_TEXT_FAILED;
    out[0] = '\0';
    const Glyphs *const found = session_glyphs();
    if (found == nullptr) return ZAVOK_TEXT_FAILED;
    const Glyphs &glyphs = *found;
    const int cw = glyphs.cell_width, lh = glyphs.line_height;
    if (width <= LEFT_MARGIN + cw || height < lh) return ZAVOK_TEXT_OK;
    if (pixels == nullptr) return ZAVOK_TEXT_FAILED;
    const Image shot = {pixels, width};

    const int cells = (width - LEFT_MARGIN) / cw;
    Canvas check(width, lh);
    if (!check.ok()) return ZAVOK_TEXT_FAILED;
    std::map<Pixels, ReadLine> seen;
    std::vector<std::string> lines;  // bottom line first
    int doubtful = 0;
    for (int top = height - lh; top >= top_row && top >= 0; top -= lh) {
        Pixels strip = cell(shot, 0, top, width, lh);
        auto known = last_lines.find(strip);
        ReadLine read;
        if (known != last_lines.end()) {
            read = known->second;
        } else {
            for (int i = 0; i < cells; ++i)
                read.text += static_cast<char>(recognise(glyphs, cell(shot, LEFT_MARGIN + i * cw, top, cw, lh)));
            // Painted again, the line must give the very pixels read; cells that do not are
            // doubtful (a glyph that reaches into its neighbour's cell, a character outside the font).
            draw_text(check, LEFT_MARGIN, read.text.data(), static_cast<int>(read.text.size()));
            for (int i = 0; i < cells; ++i)
                if (cell(image_of(check), LEFT_MARGIN + i * cw, 0, cw, lh) != cell(shot, LEFT_MARGIN + i * cw, top, cw, lh))
                    ++read.doubtful;
            read.text.erase(read.text.find_last_not_of(' ') + 1);
        }
        doubtful += read.doubtful;
        lines.push_back(read.text);
        seen.emplace(std::move(strip), std::move(read));
    }
    last_lines = std::move(seen);
    while (!lines.empty() && lines.back().empty()) lines.pop_back();  // the empty top of the window

    std::string text;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (!append_utf8(text, *line)) return ZAVOK_TEXT_FAILED;
        text += '\n';
    }
    if (uncertain != nullptr) *uncertain = doubtful;
    if (text.size() + 1 > out_size) return ZAVOK_TEXT_FAILED;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return ZAVOK_TEXT_OK;
}
