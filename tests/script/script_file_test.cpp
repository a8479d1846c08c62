// Recording and playback on the real window, with the real ZAVOK.SCR of this test's directory.
#include "zavok.h"

#include "../../graphics/console/console_internal.h"
#include "../../graphics/script/script_internal.h"
#include "../../graphics/window/window_internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <io.h>
#include <fcntl.h>
#include <share.h>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

struct Event {
    int kind;
    int x;
    int y;
    char key;
};

const char *const EOF_MESSAGE = "EOF encountered in script file " ZAVOK_SCRIPT_FILE "\n";
const char *const WRITING_REFUSED = "Cannot open script file " ZAVOK_SCRIPT_FILE " for writing\n";

class Script : public testing::Test {
protected:
    void SetUp() override { start_quiet(); }
    void TearDown() override { start_quiet(); }

    static void start_quiet() {
        reset_package();
        CheckMenuItem(run_menu, RUN_RECORD, MF_UNCHECKED);
        CheckMenuItem(run_menu, RUN_PLAYBACK, MF_UNCHECKED);
        RemoveDirectoryA(SCRIPT_FILE_NAME);
        std::remove(SCRIPT_FILE_NAME);
    }

    // A Run menu command, delivered the way a menu choice delivers it.
    static void command(int id) {
        PostMessageA(graphics_window, WM_COMMAND, id, 0);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }

    static Event wait() {
        Event event = {};
        event.kind = ZAVOK_await_event(&event.x, &event.y, &event.key);
        return event;
    }

    // A wait that nothing else ends gets a click, so the test learns that it was not ended otherwise.
    static void expect_wait_ends_with_the_click() {
        post_click_later(300, origin_x, origin_y);
        const Event event = wait();
        EXPECT_EQ(ZAVOK_MOUSE, event.kind);
        EXPECT_EQ(0, event.x);
    }

    static void expect_key(char key) {
        const Event event = wait();
        EXPECT_EQ(ZAVOK_KBD, event.kind);
        EXPECT_EQ(key, event.key);
        EXPECT_EQ(0, event.x);
        EXPECT_EQ(0, event.y);
    }

    static void periodic_events(int count) {
        ZAVOK_animate(ANIMATE_RUN);
        for (int i = 0; i < count; ++i) EXPECT_EQ(ZAVOK_PERIODIC, wait().kind);
        ZAVOK_animate(ANIMATE_HALT);
    }

    static void write_script(const std::string &text, const char *mode = "wt") {
        FILE *file = std::fopen(SCRIPT_FILE_NAME, mode);
        ASSERT_NE(nullptr, file);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }

    static Lines script_lines() {
        Lines lines;
        FILE *file = std::fopen(SCRIPT_FILE_NAME, "rt");
        if (file == nullptr) return lines;
        char line[600];
        while (std::fgets(line, sizeof line, file) != nullptr) lines.emplace_back(line);
        std::fclose(file);
        return lines;
    }

    static bool checked(int id) { return (GetMenuState(run_menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

    // The messages printed since mark was taken, oldest first.
    static int32_t mark() { return message_ring.tail; }
    static Lines messages_since(int32_t mark) {
        Lines texts;
        if (message_ring.head < 0) return texts;
        const int32_t count = (message_ring.tail - mark + RING_SIZE) % RING_SIZE;
        for (int32_t i = 0; i < count; ++i) {
            const HGLOBAL block = message_ring.blocks[(mark + i) % RING_SIZE];
            const char *text = static_cast<const char *>(GlobalLock(block));
            texts.emplace_back(text != nullptr ? text : "");
            GlobalUnlock(block);
        }
        return texts;
    }
};

TEST_F(Script, RecordingWritesEachEventAsItComesWithPeriodicRunsAsOneLine) {
    command(RUN_RECORD);
    EXPECT_TRUE(script_recording);
    EXPECT_TRUE(checked(RUN_RECORD));
    periodic_events(3);
    EXPECT_FALSE(file_exists(SCRIPT_FILE_NAME)) << "a run of periodic events is written when it ends";

    post_click(origin_x + 10, origin_y + 5);
    EXPECT_EQ(ZAVOK_MOUSE, wait().kind);
    // The stream is still open: the lines are in the file already, readable, and no other
    // writer can open it.
    ASSERT_NE(nullptr, script_file);
    EXPECT_EQ((Lines{"ZAVOK_PERIODIC(3);\n", "ZAVOK_MOUSE(10, -5);\n"}), script_lines());
    FILE *const other_writer = std::fopen(SCRIPT_FILE_NAME, "at");
    EXPECT_EQ(nullptr, other_writer);
    if (other_writer != nullptr) std::fclose(other_writer);
    post_char('a');
    expect_key('a');
    EXPECT_EQ((Lines{"ZAVOK_PERIODIC(3);\n", "ZAVOK_MOUSE(10, -5);\n", "ZAVOK_KBD(97);\n"}), script_lines());

    command(RUN_RECORD);
    EXPECT_FALSE(script_recording);
    EXPECT_FALSE(checked(RUN_RECORD));
    EXPECT_EQ(nullptr, script_file);
    EXPECT_EQ(3u, script_lines().size());
}

TEST_F(Script, StoppingARecordingWritesThePendingRunAndAnEmptyRecordingMakesNoFile) {
    command(RUN_RECORD);
    command(RUN_RECORD);
    EXPECT_FALSE(file_exists(SCRIPT_FILE_NAME));

    command(RUN_RECORD);
    periodic_events(2);
    command(RUN_RECORD);
    EXPECT_EQ(Lines{"ZAVOK_PERIODIC(2);\n"}, script_lines());
    EXPECT_EQ(0, periodic_count);

    command(RUN_RECORD);
    post_char('z');
    expect_key('z');
    command(RUN_RECORD);
    EXPECT_EQ(Lines{"ZAVOK_KBD(122);\n"}, script_lines()) << "a new recording starts a new file";
}

TEST_F(Script, AKeyAbove127IsWrittenNegativeAndPlayedBackWithItsCode) {
    command(RUN_RECORD);
    post_char(static_cast<char>(233));
    expect_key(static_cast<char>(233));
    command(RUN_RECORD);
    EXPECT_EQ(Lines{"ZAVOK_KBD(-23);\n"}, script_lines());

    ZAVOK_animate(ANIMATE_RUN);
    command(RUN_PLAYBACK);
    EXPECT_TRUE(checked(RUN_PLAYBACK));
    EXPECT_FALSE(animation_running);
    expect_key(static_cast<char>(233));

    const int32_t before = mark();
    expect_wait_ends_with_the_click();
    EXPECT_EQ(Lines{EOF_MESSAGE}, messages_since(before));
    EXPECT_FALSE(script_playing);
    EXPECT_FALSE(checked(RUN_PLAYBACK));
}

TEST_F(Script, APeriodicLineStandsForItsCountAndZeroStandsForOne) {
    write_script("ZAVOK_PERIODIC(5);\nZAVOK_KBD(65);\n");
    command(RUN_PLAYBACK);
    const Event first = wait();
    EXPECT_EQ(ZAVOK_PERIODIC, first.kind);
    EXPECT_EQ(0, first.x + first.y + first.key);
    const long position = std::ftell(script_file);
    for (int left = 3; left >= 0; --left) {
        EXPECT_EQ(ZAVOK_PERIODIC, wait().kind);
        EXPECT_EQ(left, periodic_count);
    }
    EXPECT_EQ(position, std::ftell(script_file)) << "the rest of a run comes without reading";
    expect_key('A');
    command(RUN_PLAYBACK);

    write_script("ZAVOK_PERIODIC(0);\nZAVOK_KBD(66);\n");
    command(RUN_PLAYBACK);
    EXPECT_EQ(ZAVOK_PERIODIC, wait().kind);
    expect_key('B');
    command(RUN_PLAYBACK);

    // A zero run leaves nothing over that a recording right after it would lose from its count.
    write_script("ZAVOK_PERIODIC(0);\n");
    command(RUN_PLAYBACK);
    EXPECT_EQ(ZAVOK_PERIODIC, wait().kind);
    command(RUN_PLAYBACK);
    command(RUN_RECORD);
    periodic_events(2);
    command(RUN_RECORD);
    EXPECT_EQ(Lines{"ZAVOK_PERIODIC(2);\n"}, script_lines());
}

TEST_F(Script, EmptyLinesAreSkippedAndAnUnrecognisedLineStopsPlaybackBeforeTheNextLine) {
    write_script("\n\nZAVOK_KBD(67);\n\n\n      \nZAVOK_KBD(68);\nxxxxxxM 4 -7\n");
    command(RUN_PLAYBACK);
    expect_key('C');
    const int32_t before = mark();
    expect_wait_ends_with_the_click();
    EXPECT_TRUE(messages_since(before).empty()) << "an unrecognised line is not reported";
    EXPECT_FALSE(script_playing);
    EXPECT_FALSE(checked(RUN_PLAYBACK));

    command(RUN_PLAY_ONE);
    expect_key('D');
    EXPECT_FALSE(script_play_one);
    command(RUN_PLAY_ONE);
    const Event click = wait();
    EXPECT_EQ(ZAVOK_MOUSE, click.kind);
    EXPECT_EQ(4, click.x);
    EXPECT_EQ(-7, click.y);
}

TEST_F(Script, ALastLineWithoutNewlineIsNotPlayedAndTheEndIsReportedAgainAtEachCommand) {
    write_script("ZAVOK_KBD(69);\nZAVOK_KBD(70);");
    command(RUN_PLAYBACK);
    expect_key('E');
    int32_t before = mark();
    expect_wait_ends_with_the_click();
    EXPECT_EQ(Lines{EOF_MESSAGE}, messages_since(before));

    before = mark();
    command(RUN_PLAY_ONE);
    expect_wait_ends_with_the_click();
    EXPECT_EQ(Lines{EOF_MESSAGE}, messages_since(before));
}

TEST_F(Script, StoppedPlaybackStartsAgainAtTheFirstLineAndPlayOneStepsThroughTheFile) {
    write_script("ZAVOK_KBD(49);\nZAVOK_KBD(50);\nZAVOK_KBD(51);\n");
    command(RUN_PLAYBACK);
    expect_key('1');
    expect_key('2');
    command(RUN_PLAYBACK);
    EXPECT_EQ(nullptr, script_file);
    command(RUN_PLAY_ONE);
    expect_key('1');
    EXPECT_FALSE(script_play_one);
    command(RUN_PLAY_ONE);
    expect_key('2');
    expect_wait_ends_with_the_click();  // one command, one event
}

TEST_F(Script, AQuitDuringPlaybackEndsTheWaitAndTakesNoEventWhileAPlayedEventReplacesAClick) {
    write_script("ZAVOK_KBD(49);\nZAVOK_PERIODIC(3);\nZAVOK_KBD(50);\n");
    command(RUN_PLAYBACK);
    PostQuitMessage(0);
    ASSERT_EQ(ZAVOK_QUIT, wait().kind);  // a wait lost on a played event would end only with the script
    expect_key('1');  // no line was read for the quit
    EXPECT_EQ(ZAVOK_PERIODIC, wait().kind);
    PostQuitMessage(0);
    ASSERT_EQ(ZAVOK_QUIT, wait().kind);
    EXPECT_EQ(2, periodic_count) << "nor an event of a run";
    EXPECT_TRUE(script_playing);

    post_click(origin_x + 10, origin_y);
    EXPECT_EQ(ZAVOK_PERIODIC, wait().kind) << "the played event takes the place of the click";
    EXPECT_EQ(ZAVOK_PERIODIC, wait().kind);
    expect_key('2');
}

TEST_F(Script, FilesThatCannotBeOpenedAreReported) {
    ZAVOK_show_text(0);
    int32_t before = mark();
    command(RUN_PLAYBACK);
    EXPECT_TRUE(checked(RUN_PLAYBACK));
    expect_wait_ends_with_the_click();
    EXPECT_EQ(Lines{"Cannot open script file " ZAVOK_SCRIPT_FILE " for reading\n"}, messages_since(before));
    EXPECT_TRUE(IsWindowVisible(text_window));
    EXPECT_FALSE(script_playing);
    EXPECT_FALSE(checked(RUN_PLAYBACK));

    // A folder of the script's name cannot be written: the recording says so once and ends.
    ASSERT_TRUE(CreateDirectoryA(SCRIPT_FILE_NAME, nullptr));
    command(RUN_RECORD);
    before = mark();
    post_char('x');
    expect_key('x');
    post_char('y');
    expect_key('y');
    EXPECT_EQ(Lines{WRITING_REFUSED}, messages_since(before));
    EXPECT_FALSE(script_recording);
    EXPECT_FALSE(checked(RUN_RECORD));
}

// Another program's recording holds the file: this one is refused once, shows why, and neither
// then nor after the other one has let go does it empty or write the file.
TEST_F(Script, ARefusedRecordingEndsAtOnceAndNeverTouchesAnotherProgramsRecording) {
    ZAVOK_show_text(0);
    command(RUN_RECORD);
    FILE *const other = _fsopen(SCRIPT_FILE_NAME, "wt", _SH_DENYWR);
    ASSERT_NE(nullptr, other);
    std::fputs("ZAVOK_KBD(49);\n", other);
    std::fflush(other);
    int32_t before = mark();
    post_char('x');
    expect_key('x');
    EXPECT_EQ(Lines{WRITING_REFUSED}, messages_since(before));
    EXPECT_FALSE(script_recording);
    EXPECT_FALSE(checked(RUN_RECORD));
    EXPECT_TRUE(IsWindowVisible(text_window)) << "the message is shown where the user looks";

    command(RUN_PLAY_ONE);  // a player cannot read a file still being written
    expect_wait_ends_with_the_click();
    post_char('y');
    expect_key('y');
    std::fputs("ZAVOK_KBD(50);\n", other);
    std::fclose(other);
    periodic_events(2);
    post_char('z');
    expect_key('z');
    EXPECT_EQ((Lines{WRITING_REFUSED, "Cannot open script file " ZAVOK_SCRIPT_FILE " for reading\n"}),
              messages_since(before));
    EXPECT_EQ((Lines{"ZAVOK_KBD(49);\n", "ZAVOK_KBD(50);\n"}), script_lines());

    // A recording started before another one wrote the file may not empty it either, not even
    // with the run of periodic events that stopping it writes.
    command(RUN_RECORD);
    write_script("ZAVOK_KBD(51);\n");
    periodic_events(3);
    before = mark();
    command(RUN_RECORD);
    EXPECT_EQ(Lines{WRITING_REFUSED}, messages_since(before));
    EXPECT_EQ(Lines{"ZAVOK_KBD(51);\n"}, script_lines());
    EXPECT_EQ(0, periodic_count);

    // Record Script chosen again makes a new recording of the file as it is now.
    command(RUN_RECORD);
    post_char('v');
    expect_key('v');
    command(RUN_RECORD);
    EXPECT_EQ(Lines{"ZAVOK_KBD(118);\n"}, script_lines());
}

TEST_F(Script, BinaryGarbageGivesDefinedEventsAndCtrlZEndsTheFile) {
    const std::string garbage = std::string("ZAVOK_K\0(66);\n", 14) + std::string(8, '\0') + "\nZAVOK_KBD(67);\n\x1AZAVOK_KBD(68);\n";
    write_script(garbage, "wb");
    command(RUN_PLAYBACK);
    expect_key(0);  // the line ends at its NUL, before its number
    expect_wait_ends_with_the_click();
    command(RUN_PLAY_ONE);
    expect_key('C');
    const int32_t before = mark();
    command(RUN_PLAY_ONE);
    expect_wait_ends_with_the_click();
    EXPECT_EQ(Lines{EOF_MESSAGE}, messages_since(before));
}

TEST_F(Script, PlaybackOfAStreamOpenForRecordingGivesNothingAndRecordingGoesOn) {
    command(RUN_RECORD);
    post_char('r');
    expect_key('r');
    const int32_t before = mark();
    command(RUN_PLAYBACK);
    expect_wait_ends_with_the_click();
    EXPECT_TRUE(messages_since(before).empty());
    EXPECT_FALSE(script_playing);
    command(RUN_RECORD);
    EXPECT_EQ((Lines{"ZAVOK_KBD(114);\n", "ZAVOK_MOUSE(0, 0);\n"}), script_lines());
}

// A working folder where the script cannot be written: its ZAVOK.SCR is a symbolic link to
// /dev/full (made by the test's setup step), which opens for writing and fails every write
// with "no space left on device".
class UnwritableScript : public Script {
protected:
    void SetUp() override {
        Script::SetUp();
        GetCurrentDirectoryA(sizeof home, home);
        ASSERT_TRUE(SetCurrentDirectoryA("unwritable")) << "the setup step makes the folder unwritable/";
        // /dev/full reads as endless zeros: a plain file left by a broken setup does not.
        FILE *const device = std::fopen(SCRIPT_FILE_NAME, "rb");
        ASSERT_NE(nullptr, device) << "the setup step links unwritable/ZAVOK.SCR to /dev/full";
        char start[4096];
        const std::size_t got = std::fread(start, 1, sizeof start, device);
        std::fclose(device);
        ASSERT_EQ(sizeof start, got) << "unwritable/ZAVOK.SCR must be the link to /dev/full";
        ASSERT_EQ(std::string(sizeof start, '\0'), std::string(start, got));
    }
    void TearDown() override {
        reset_package();  // closes the stream while still in the folder; never removes the link
        std::remove("recovered.scr");
        SetCurrentDirectoryA(home);
        Script::TearDown();
    }

    // The medium takes writes again: the descriptor under the open stream is pointed at a
    // plain file, as when space is freed, and the stream itself is never told.
    static void writing_works_again() {
        const int file = _open("recovered.scr", _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT, 0666);
        ASSERT_GE(file, 0);
        ASSERT_EQ(0, _dup2(file, _fileno(script_file)));
        _close(file);
    }

    char home[MAX_PATH] = "";
};

const char *const WRITE_FAILED = "Cannot write script file " ZAVOK_SCRIPT_FILE "\n";

TEST_F(UnwritableScript, EveryLostLineIsReportedRecordingAndDrawingGoOnAndLaterLinesReachTheFile) {
    ZAVOK_show_text(0);
    command(RUN_RECORD);
    int32_t before = mark();
    post_char('a');
    expect_key('a');
    EXPECT_EQ(Lines{WRITE_FAILED}, messages_since(before)) << "the open succeeds; the write fails and says so";
    EXPECT_TRUE(IsWindowVisible(text_window));
    ASSERT_NE(nullptr, script_file) << "the stream stays open";
    EXPECT_FALSE(std::ferror(script_file)) << "and its error is cleared";

    // A run of periodic events and the click that ends it: two lines, two messages.
    before = mark();
    periodic_events(3);
    EXPECT_TRUE(messages_since(before).empty()) << "a run still counted is not written yet";
    post_click(origin_x + 10, origin_y + 5);
    EXPECT_EQ(ZAVOK_MOUSE, wait().kind);
    EXPECT_EQ((Lines{WRITE_FAILED, WRITE_FAILED}), messages_since(before));
    EXPECT_EQ(0, periodic_count);
    EXPECT_TRUE(script_recording);
    EXPECT_TRUE(checked(RUN_RECORD));

    // The program still draws, and the window shows it.
    ZAVOK_circle(COLOR_BLUE, 0, 0, 20);
    post_char('b');
    expect_key('b');
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(window_dc, origin_x, origin_y));

    writing_works_again();
    before = mark();
    post_char('c');
    expect_key('c');
    periodic_events(2);
    command(RUN_RECORD);  // stopping writes the pending run, then closes
    EXPECT_TRUE(messages_since(before).empty()) << "nothing is lost once writing works";
    EXPECT_EQ(nullptr, script_file);
    EXPECT_EQ("ZAVOK_KBD(99);\r\nZAVOK_PERIODIC(2);\r\n", read_file("recovered.scr"))
        << "the later lines, in text mode still, and none of the lost ones";
}

TEST_F(UnwritableScript, APendingRunLostWhenTheRecordingStopsIsReportedOnce) {
    command(RUN_RECORD);
    periodic_events(4);
    const int32_t before = mark();
    command(RUN_RECORD);
    EXPECT_EQ(Lines{WRITE_FAILED}, messages_since(before)) << "one line lost, one message; the close loses nothing more";
    EXPECT_EQ(nullptr, script_file);
    EXPECT_EQ(0, periodic_count);

    // A new recording opens the link again and still cannot write: each event says so again.
    command(RUN_RECORD);
    const int32_t again = mark();
    post_char('x');
    expect_key('x');
    post_char('y');
    expect_key('y');
    EXPECT_EQ((Lines{WRITE_FAILED, WRITE_FAILED}), messages_since(again));
    command(RUN_RECORD);
}

}  // namespace
