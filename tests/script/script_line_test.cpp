// The script line format on its own: kinds, numbers, line ends, and the reading of lines.
#include "../../graphics/script/script_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

ScriptRecord parse(const std::string &line) { return parse_script_line(line.c_str(), line.size() + 1); }

TEST(ScriptLine, TheCharacterAtIndexSixAloneTellsTheKind) {
    const ScriptRecord mouse = parse("ZAVOK_MOUSE(10, -5);\n");
    EXPECT_EQ(SCRIPT_LINE_MOUSE, mouse.kind);
    EXPECT_EQ(10, mouse.x);
    EXPECT_EQ(-5, mouse.y);

    const ScriptRecord key = parse("abcdefK 65\n");
    EXPECT_EQ(SCRIPT_LINE_KBD, key.kind);
    EXPECT_EQ('A', key.key);

    const ScriptRecord periodic = parse("123456PERIODIC(7);\n");  // digits before index 6 are not read
    EXPECT_EQ(SCRIPT_LINE_PERIODIC, periodic.kind);
    EXPECT_EQ(7, periodic.count);

    for (const char *line : {"ZAVOK_mOUSE(1, 2);\n", "      \n", "ZAVOK_\n", "ZAVOK_", "", "ZAVOK"})
        EXPECT_EQ(SCRIPT_LINE_UNRECOGNISED, parse(line).kind) << line;
    const char cut_short[] = "ZAVOK\0K(65);\n";  // the line ends at its first NUL
    EXPECT_EQ(SCRIPT_LINE_UNRECOGNISED, parse_script_line(cut_short, sizeof cut_short).kind);
    EXPECT_EQ(SCRIPT_LINE_UNRECOGNISED, parse_script_line(nullptr, 0).kind);
}

TEST(ScriptLine, NumbersFollowTheirKindsRulesAndStayInRange) {
    EXPECT_EQ(12, parse("ZAVOK_MOUSE(12-3, 4);").x);
    EXPECT_EQ(4, parse("ZAVOK_MOUSE(12-3, 4);").y);
    EXPECT_EQ(233, static_cast<unsigned char>(parse("ZAVOK_KBD(-23);").key));
    EXPECT_EQ(65, parse("ZAVOK_KBD(321);").key);
    EXPECT_EQ(5, parse("ZAVOK_PERIODIC(-5);").count) << "a periodic count takes digits only";

    const ScriptRecord huge = parse("ZAVOK_MOUSE(2147483648, -2147483649);");
    EXPECT_EQ(INT_MAX, huge.x);
    EXPECT_EQ(INT_MIN, huge.y);
    const ScriptRecord long_run = parse("ZAVOK_MOUSE(000000000000000000000042, 99999999999999999999999999);");
    EXPECT_EQ(42, long_run.x);
    EXPECT_EQ(INT_MAX, long_run.y);
    EXPECT_EQ(INT_MAX, parse("ZAVOK_PERIODIC(4294967297);").count);
    EXPECT_EQ(0, parse("ZAVOK_MOUSE(--, -);").x);
}

TEST(ScriptLine, ALineThatEndsBeforeItsNumbersGivesZeroAndNothingPastItsEndIsRead) {
    const ScriptRecord half = parse("ZAVOK_MOUSE(4\n");
    EXPECT_EQ(SCRIPT_LINE_MOUSE, half.kind);
    EXPECT_EQ(4, half.x);
    EXPECT_EQ(0, half.y);
    EXPECT_EQ(0, parse("ZAVOK_KBD").key);
    EXPECT_EQ(0, parse("ZAVOK_P").count);

    // No NUL within the size: the digits after it belong to something else.
    const char buffer[] = "ZAVOK_M12 345";
    const ScriptRecord bounded = parse_script_line(buffer, 9);
    EXPECT_EQ(12, bounded.x);
    EXPECT_EQ(0, bounded.y);
}

TEST(ScriptLine, RecordsAreWrittenInTheirFormatsAndReadBackUnchanged) {
    char line[64];
    const ScriptRecord records[] = {{SCRIPT_LINE_MOUSE, 10, -5, 0, 0},
                                    {SCRIPT_LINE_MOUSE, INT_MIN, INT_MAX, 0, 0},
                                    {SCRIPT_LINE_KBD, 0, 0, static_cast<char>(233), 0},
                                    {SCRIPT_LINE_PERIODIC, 0, 0, 0, 3}};
    const char *expected[] = {"ZAVOK_MOUSE(10, -5);\n", "ZAVOK_MOUSE(-2147483648, 2147483647);\n", "ZAVOK_KBD(-23);\n",
                              "ZAVOK_PERIODIC(3);\n"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<int>(std::strlen(expected[i])), format_script_line(records[i], line, sizeof line));
        EXPECT_STREQ(expected[i], line);
        const ScriptRecord back = parse_script_line(line, sizeof line);
        EXPECT_EQ(records[i].kind, back.kind);
        EXPECT_EQ(records[i].x, back.x);
        EXPECT_EQ(records[i].y, back.y);
        EXPECT_EQ(records[i].key, back.key);
        EXPECT_EQ(records[i].count, back.count);
    }
    EXPECT_EQ(0, format_script_line({SCRIPT_LINE_UNRECOGNISED, 1, 2, 3, 4}, line, sizeof line));
    EXPECT_STREQ("", line);
}

TEST(ScriptLine, ReadingSkipsEmptyLinesSplitsLongOnesAndEndsOnEndOfFileOrError) {
    const std::string long_line = "ZAVOK_KBD(72);" + std::string(600, 'x') + "\n";
    FILE *file = std::fopen("lines.txt", "wb");
    ASSERT_NE(nullptr, file);
    std::fputs(("\n\nZAVOK_KBD(65);\n\n" + long_line + "ZAVOK_KBD(66);").c_str(), file);
    std::fclose(file);

    file = std::fopen("lines.txt", "rb");
    ASSERT_NE(nullptr, file);
    char line[SCRIPT_LINE_SIZE];
    ASSERT_EQ(SCRIPT_READ_LINE, read_script_line(file, line, SCRIPT_LINE_SIZE));
    EXPECT_STREQ("ZAVOK_KBD(65);\n", line);
    ASSERT_EQ(SCRIPT_READ_LINE, read_script_line(file, line, SCRIPT_LINE_SIZE));
    EXPECT_EQ(511u, std::strlen(line));
    EXPECT_EQ('H', parse_script_line(line, sizeof line).key);
    ASSERT_EQ(SCRIPT_READ_LINE, read_script_line(file, line, SCRIPT_LINE_SIZE));
    EXPECT_EQ(long_line.size() - 511, std::strlen(line)) << "the rest of the long line is a line of its own";
    EXPECT_EQ(SCRIPT_READ_END_OF_FILE, read_script_line(file, line, SCRIPT_LINE_SIZE)) << "last line has no newline";
    EXPECT_EQ(SCRIPT_READ_END_OF_FILE, read_script_line(file, line, SCRIPT_LINE_SIZE));
    std::fclose(file);

    // A stream that cannot be read: the empty line left in the buffer must not be skipped forever.
    file = std::fopen("lines.txt", "ab");
    ASSERT_NE(nullptr, file);
    std::strcpy(line, "\n");
    EXPECT_EQ(SCRIPT_READ_FAILED, read_script_line(file, line, SCRIPT_LINE_SIZE));
    std::fclose(file);
    std::remove("lines.txt");
}

}  // namespace
