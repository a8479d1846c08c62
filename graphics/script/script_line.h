// The event script's line format: reading a line from the stream, telling its kind and
// taking its numbers, and writing a record. Plain C library only, so it builds anywhere
// (the fuzzer builds it natively).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Line kinds; the values are the event kinds the lines stand for.
enum ScriptLineKind : int {
    SCRIPT_LINE_UNRECOGNISED = 0,
    SCRIPT_LINE_MOUSE = 1,
    SCRIPT_LINE_KBD = 2,
    SCRIPT_LINE_PERIODIC = 3
};

// A line holds at most this many characters with its newline, plus the NUL.
constexpr int SCRIPT_LINE_SIZE = 512;

// The character that tells a line's kind: the first letter after "ZAVOK_".
constexpr std::size_t SCRIPT_KIND_INDEX = 6;

struct ScriptRecord {
    ScriptLineKind kind;
    int32_t x;      // mouse
    int32_t y;      // mouse
    char key;       // keyboard: the low 8 bits of the number
    int32_t count;  // periodic: how many periodic events the line stands for
};

// What reading the next line gave.
enum ScriptReadResult : int {
    SCRIPT_READ_LINE,        // a non-empty line is in the buffer
    SCRIPT_READ_END_OF_FILE, // the stream's end-of-file indicator is set, the buffer is not to be used
    SCRIPT_READ_FAILED       // a read failed before the end of the file; the buffer is not to be used
};

// Reads lines into line (size bytes, at least 2) until one is not empty. A line that reaches
// the end of the file, the last one without its newline, counts as the end of the file.
ScriptReadResult read_script_line(FILE *stream, char *line, int size);

// Tells the kind of the line in line[0 .. size) by the character at SCRIPT_KIND_INDEX and
// takes its numbers. The line ends at its first NUL or at size, whichever comes first;
// nothing past that is read. A number the line does not hold is 0; numbers beyond the
// 32-bit range are clamped to it.
ScriptRecord parse_script_line(const char *line, std::size_t size);

// Writes the line of a record, newline included, into buffer (NUL-terminated, cut to
// size); returns the length of the full line, or 0 for a kind that has no line.
int format_script_line(const ScriptRecord &record, char *buffer, std::size_t size);
