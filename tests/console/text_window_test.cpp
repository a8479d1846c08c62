// The text window and its message ring, on the real window.
#include "zavok.h"

#include "../../graphics/window/window_internal.h"
#include "ring_reader.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Gives back every stored block, as at process start, so a test knows the ring's content.
void empty_ring() {
    for (HGLOBAL &block : message_ring.blocks) {
        if (block != nullptr) GlobalFree(block);
        block = nullptr;
    }
    message_ring.head = -1;
    message_ring.tail = 0;
}

// Dispatches messages until none is queued and the text window's repaint is done (bounded).
void pump_messages() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_QUIT) DispatchMessageA(&message);
        } else if (!GetUpdateRect(text_window, nullptr, FALSE)) {
            return;
        } else {
            Sleep(5);
        }
    }
}

// The stock fixed font's measures, as the line painter takes them.
TEXTMETRICA fixed_font_metrics() {
    const HDC dc = GetDC(text_window);
    const HGDIOBJ previous = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(text_window, dc);
    return metrics;
}

// How many '#' characters the line `from_bottom` lines above the bottom one shows, read
// from the rightmost non-white pixel of that line.
int hashes_shown(int from_bottom) {
    const TEXTMETRICA metrics = fixed_font_metrics();
    const HDC dc = GetDC(text_window);
    RECT client;
    GetClientRect(text_window, &client);
    const int height = metrics.tmHeight + metrics.tmExternalLeading;
    const int bottom = client.bottom - from_bottom * height;
    int rightmost = -1;
    for (int y = bottom - height; y < bottom; ++y)
        for (int x = client.right - 1; x > rightmost; --x)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) rightmost = x;
    ReleaseDC(text_window, dc);
    return rightmost < 0 ? 0 : (rightmost - 5) / metrics.tmAveCharWidth + 1;
}

// What hashes_shown reads on every whole line of the window, the bottom line first.
std::vector<int> lines_shown() {
    const TEXTMETRICA metrics = fixed_font_metrics();
    RECT client;
    GetClientRect(text_window, &client);
    std::vector<int> shown;
    for (int line = 0; line < client.bottom / (metrics.tmHeight + metrics.tmExternalLeading); ++line)
        shown.push_back(hashes_shown(line));
    return shown;
}

std::string hashes(int count) { return std::string(static_cast<size_t>(count), '#'); }

class TextWindow : public testing::Test {
protected:
    void SetUp() override {
        reset_package();
        ZAVOK_show_text(1);
        pump_messages();
    }
};

TEST_F(TextWindow, PrintReturnsTheFormattedCountAndStoresTheTextCutTo1023Characters) {
    const PrintedSince printed;
    EXPECT_EQ(3, ZAVOK_printf("42\n"));
    EXPECT_EQ(5000, ZAVOK_printf("%s", std::string(5000, 'x').c_str()));
    const char *const no_format = nullptr;
    EXPECT_EQ(0, ZAVOK_printf(no_format));
    EXPECT_EQ((std::vector<std::string>{"42\n", std::string(1023, 'x'), ""}), printed.messages());

    // Exactly the text and its NUL (the allocator may round the block's size up).
    const HGLOBAL block = message_ring.blocks[(message_ring.tail + RING_SIZE - 3) % RING_SIZE];
    EXPECT_GE(GlobalSize(block), 4u);
    const char *const bytes = static_cast<const char *>(GlobalLock(block));
    ASSERT_NE(nullptr, bytes);
    EXPECT_EQ(std::string("42\n", 4), std::string(bytes, 4));
    GlobalUnlock(block);
}

TEST_F(TextWindow, TheRingKeepsTheLast25AndARepaintShowsThemNewestAtTheBottom) {
    empty_ring();
    RedrawWindow(text_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(0, hashes_shown(0) + hashes_shown(1)) << "an empty ring paints nothing";

    // Message k is k '#' characters, so a line's width tells which message it shows.
    ZAVOK_printf("%s\n", hashes(1).c_str());
    EXPECT_EQ(0, message_ring.head);
    EXPECT_EQ(1, message_ring.tail);
    const HGLOBAL first_block = message_ring.blocks[0];
    for (int k = 2; k <= 25; ++k) ZAVOK_printf("%s\n", hashes(k).c_str());
    EXPECT_EQ(0, message_ring.head);  // full: head = tail
    EXPECT_EQ(0, message_ring.tail);
    ZAVOK_printf("%s\n", hashes(26).c_str());
    EXPECT_EQ(1, message_ring.head);
    EXPECT_EQ(1, message_ring.tail);
    EXPECT_EQ(hashes(26) + "\n", block_text(message_ring.blocks[0]));
    EXPECT_EQ(hashes(2) + "\n", block_text(message_ring.blocks[1]));
    EXPECT_EQ(GMEM_INVALID_HANDLE, GlobalFlags(first_block)) << "the first message's block was freed";

    RedrawWindow(text_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    for (int line = 0; line < 12; ++line) EXPECT_EQ(26 - line, hashes_shown(line)) << "line " << line;
}

TEST_F(TextWindow, OneMessageIsOneLineWithOnlyItsFinalNewlineLeftOut) {
    ZAVOK_printf("##\n");
    ZAVOK_printf("###");
    EXPECT_EQ(3, hashes_shown(0));
    EXPECT_EQ(2, hashes_shown(1));
    ZAVOK_printf("#\n#\n");  // the inner newline is painted as a character cell
    EXPECT_EQ(3, hashes_shown(0));
    EXPECT_EQ(3, hashes_shown(1));
    ZAVOK_printf("\n");
    EXPECT_EQ(0, hashes_shown(0)) << "an empty bottom line";

    // A line wider than the window is clipped there; the next scroll wipes it all.
    ZAVOK_printf("%s", hashes(400).c_str());
    ZAVOK_printf("%s", hashes(400).c_str());
    ZAVOK_printf("#");
    EXPECT_EQ(1, hashes_shown(0));
}

TEST_F(TextWindow, MessagesPrintedWhileHiddenAreStoredAndShowingRepaintsThem) {
    empty_ring();
    ZAVOK_printf("###\n");
    EXPECT_NE(0, ZAVOK_show_text(1)) << "already visible";
    EXPECT_NE(0, ZAVOK_show_text(0));
    const PrintedSince printed;
    ZAVOK_printf("#######\n");
    ZAVOK_printf("#####\n");
    EXPECT_EQ(2u, printed.messages().size());

    EXPECT_EQ(0, ZAVOK_show_text(1)) << "was hidden";
    EXPECT_TRUE(GetUpdateRect(text_window, nullptr, FALSE)) << "showing asks for a repaint";
    pump_messages();
    EXPECT_EQ(5, hashes_shown(0));
    EXPECT_EQ(7, hashes_shown(1));
    EXPECT_EQ(3, hashes_shown(2));
}

TEST_F(TextWindow, EveryRepaintShowsEachMessageOnceInOrderNewestAtTheBottom) {
    empty_ring();
    int printed = 0;
    const auto print = [&printed] { ++printed; ZAVOK_printf("%s\n", hashes(printed).c_str()); };
    const auto expect_each_once = [&printed](const char *after) {
        pump_messages();
        std::vector<int> expected = lines_shown();
        for (int line = 0; line < static_cast<int>(expected.size()); ++line) expected[line] = std::max(printed - line, 0);
        EXPECT_EQ(expected, lines_shown()) << after;
    };
    for (int k = 0; k < 4; ++k) print();

    RECT client;
    GetClientRect(text_window, &client);
    RECT part = {client.right / 4, client.bottom / 3, client.right / 2, client.bottom - 5};
    InvalidateRect(text_window, &part, TRUE);
    expect_each_once("a part invalidated and erased");
    part = {0, 0, client.right, client.bottom / 4};
    InvalidateRect(text_window, &part, FALSE);
    expect_each_once("a part invalidated, not erased");

    RedrawWindow(text_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
    print();  // painted on the erased window before its repaint
    expect_each_once("a line printed between the erase and the repaint");

    ZAVOK_show_text(0);
    print();
    ZAVOK_show_text(1);
    print();
    expect_each_once("hidden, printed to, shown and printed to");
}

TEST_F(TextWindow, KeysPressedInTheTextWindowReachTheGraphicsWindow) {
    SendMessageA(text_window, WM_KEYDOWN, VK_CONTROL, 1);
    pump_messages();
    EXPECT_EQ(1, ctrl_down);
    SendMessageA(text_window, WM_KEYUP, VK_CONTROL, 1);
    pump_messages();
    EXPECT_EQ(0, ctrl_down);
}

}  // namespace
