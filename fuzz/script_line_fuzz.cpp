// libFuzzer target for the event script's reading side: any bytes as one line; the same bytes
// as a whole script file played to its events by the package's own playback step (read in
// parts of at most 511 characters, parsed, PERIODIC runs counted out), each event compared
// with a plain decoder of the same rules written here; and a record built from the bytes
// written and read back.
#include "script_line.h"
#include "script_play.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool holds, const char *what) {
    if (!holds) {
        std::fprintf(stderr, "script line fuzz: %s\n", what);
        std::abort();
    }
}

void check_record(const ScriptRecord &record) {
    check(record.kind >= SCRIPT_LINE_UNRECOGNISED && record.kind <= SCRIPT_LINE_PERIODIC, "kind out of range");
    check(record.count >= 0, "a periodic count below zero");
}

// The input as a line that fills its buffer exactly, without a NUL: the sanitizer sees any
// read past its end.
void parse_as_one_line(const uint8_t *data, size_t size) {
    std::vector<char> line(data, data + size);
    const ScriptRecord record = parse_script_line(line.data(), line.size());
    check_record(record);
    if (size <= SCRIPT_KIND_INDEX) check(record.kind == SCRIPT_LINE_UNRECOGNISED, "a line too short has a kind");
}

// The input as a script file: every read either gives a line or ends, and there are never
// more lines than bytes.
void read_as_script(const uint8_t *data, size_t size) {
    if (size == 0) return;
    FILE *stream = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (stream == nullptr) return;
    char line[SCRIPT_LINE_SIZE];
    size_t lines = 0;
    while (read_script_line(stream, line, SCRIPT_LINE_SIZE) == SCRIPT_READ_LINE) {
        check(++lines <= size, "more lines than bytes");
        check(line[0] != '\n', "an empty line was handed out");
        check(std::memchr(line, '\0', sizeof line) != nullptr, "a line without its NUL");
        check_record(parse_script_line(line, sizeof line));
    }
    std::fclose(stream);
}

// ---- The script as a list of events, by a plain decoder ------------------------------------
//
// Rules as the file format states them, read from the bytes of the file (no text-mode
// translation natively): lines of at most 511 characters, a longer one coming in parts; an
// empty line skipped; a part that meets the end of the bytes before its newline (and is shorter
// than 511) ends the script, unplayed; a line ends at its first NUL; the character at index 6
// tells the kind, any other character (or none) stops playback. Numbers: MOUSE and KBD skip to a
// digit or '-' and take the run of digits and '-', PERIODIC skips to a digit and takes digits;
// the run converts as an optional '-' and digits up to the first other character, clamped to the
// 32-bit range; KBD keeps the low 8 bits; PERIODIC n stands for max(n, 1) events.

enum End { END_OF_FILE, STOPPED };

struct Played {
    std::string events;  // "M x y", "K code", "P count" (a run of periodic events), one a line
    End end;
};

void add_periodic(std::string &events, long long count) {
    // Runs that follow each other are one run, so both sides may count them out as they like.
    const std::size_t last = events.rfind('\n', events.size() >= 2 ? events.size() - 2 : 0);
    const std::size_t start = events.empty() ? std::string::npos : (last == std::string::npos ? 0 : last + 1);
    if (start != std::string::npos && events.compare(start, 2, "P ") == 0) {
        const long long before = std::atoll(events.c_str() + start + 2);
        events.erase(start);
        count += before;
    }
    events += "P " + std::to_string(count) + "\n";
}

long long clamp32(long long value) {
    if (value > 2147483647LL) return 2147483647LL;
    if (value < -2147483648LL) return -2147483648LL;
    return value;
}

// The value of a run such as "-12", "12-3" or "--4".
long long run_value(const std::string &run) {
    std::size_t at = 0;
    bool negative = false;
    if (at < run.size() && run[at] == '-') {
        negative = true;
        ++at;
    }
    long long magnitude = 0;
    while (at < run.size() && run[at] >= '0' && run[at] <= '9') {
        if (magnitude <= 3000000000LL) magnitude = magnitude * 10 + (run[at] - '0');
        ++at;
    }
    return clamp32(negative ? -magnitude : magnitude);
}

// The next run from `at` on whose characters are in `chars`; `at` moves past it.
std::string next_run(const std::string &line, std::size_t &at, const char *chars) {
    const std::size_t start = line.find_first_of(chars, at);
    if (start == std::string::npos) {
        at = line.size();
        return "";
    }
    std::size_t stop = line.find_first_not_of(chars, start);
    if (stop == std::string::npos) stop = line.size();
    at = stop;
    return line.substr(start, stop - start);
}

Played decode(const std::string &bytes) {
    Played played = {"", END_OF_FILE};
    std::size_t at = 0;
    for (;;) {
        if (at >= bytes.size()) return played;
        std::size_t newline = bytes.find('\n', at);
        std::size_t length = newline == std::string::npos ? bytes.size() - at : newline - at + 1;
        if (length > 511) length = 511;
        std::string line = bytes.substr(at, length);
        at += length;
        if (length < 511 && line.back() != '\n') return played;  // the file ends inside the line
        if (line == "\n") continue;
        line = line.substr(0, line.find('\0'));
        const char kind = line.size() > 6 ? line[6] : '\0';
        std::size_t from = 6;
        if (kind == 'M') {
            const long long x = run_value(next_run(line, from, "0123456789-"));
            const long long y = run_value(next_run(line, from, "0123456789-"));
            played.events += "M " + std::to_string(x) + " " + std::to_string(y) + "\n";
        } else if (kind == 'K') {
            const long long code = static_cast<unsigned long long>(run_value(next_run(line, from, "0123456789-"))) & 0xFF;
            played.events += "K " + std::to_string(code) + "\n";
        } else if (kind == 'P') {
            const long long n = run_value(next_run(line, from, "0123456789"));
            add_periodic(played.events, n > 0 ? n : 1);
        } else {
            played.end = STOPPED;
            return played;
        }
    }
}

// The same bytes played by the package's own step, as playback does until it stops.
Played play(const uint8_t *data, size_t size) {
    Played played = {"", END_OF_FILE};
    if (size == 0) return played;  // fmemopen refuses an empty buffer; nothing would be read anyway
    FILE *stream = fmemopen(const_cast<uint8_t *>(data), size, "r");
    check(stream != nullptr, "fmemopen failed");
    int32_t periodic_count = 0;
    ScriptEvent event;
    for (size_t steps = 0;; ++steps) {
        check(steps <= 2 * size + 2, "playback does not end");
        const ScriptStepResult result = script_play_step(stream, periodic_count, event);
        if (result == SCRIPT_STEP_END_OF_FILE || result == SCRIPT_STEP_NONE) {
            played.end = result == SCRIPT_STEP_END_OF_FILE ? END_OF_FILE : STOPPED;
            break;
        }
        check(result == SCRIPT_STEP_EVENT, "a memory stream failed to read");
        check(periodic_count >= 0, "a negative run is owed");
        if (event.kind == SCRIPT_LINE_MOUSE) {
            played.events += "M " + std::to_string(event.x) + " " + std::to_string(event.y) + "\n";
        } else if (event.kind == SCRIPT_LINE_KBD) {
            check(event.x == 0 && event.y == 0, "a key event carries a position");
            played.events += "K " + std::to_string(static_cast<unsigned char>(event.key)) + "\n";
        } else {
            check(event.kind == SCRIPT_LINE_PERIODIC && event.x == 0 && event.y == 0 && event.key == 0,
                  "an event of no kind, or a periodic event with fields");
            add_periodic(played.events, 1);
            // A few of the owed events one step at a time, without reading; the rest at once,
            // as a run of up to 2^31 - 1 would take too long.
            const long position = std::ftell(stream);
            for (int i = 0; i < 3 && periodic_count > 0; ++i) {
                check(script_play_step(stream, periodic_count, event) == SCRIPT_STEP_EVENT &&
                          event.kind == SCRIPT_LINE_PERIODIC,
                      "an owed periodic event is not delivered");
                add_periodic(played.events, 1);
            }
            check(std::ftell(stream) == position, "an owed periodic event read the stream");
            if (periodic_count > 0) add_periodic(played.events, periodic_count);
            periodic_count = 0;
        }
    }
    std::fclose(stream);
    return played;
}

void play_as_script(const uint8_t *data, size_t size) {
    const Played package = play(data, size);
    const Played plain = decode(std::string(reinterpret_cast<const char *>(data), size));
    if (package.events != plain.events || package.end != plain.end) {
        std::fprintf(stderr, "package:\n%s(end %d)\nplain decoder:\n%s(end %d)\n", package.events.c_str(),
                     package.end, plain.events.c_str(), plain.end);
        check(false, "the package and the plain decoder play the script differently");
    }
}

int32_t take_int32(const uint8_t *bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | bytes[i];
    return static_cast<int32_t>(value);
}

// What the writer writes, the reader reads back unchanged.
void round_trip(const uint8_t *data, size_t size) {
    if (size < 13) return;
    ScriptRecord record = {static_cast<ScriptLineKind>(data[0] % 3 + 1), 0, 0, 0, 0};
    if (record.kind == SCRIPT_LINE_MOUSE) {
        record.x = take_int32(data + 1);
        record.y = take_int32(data + 5);
    } else if (record.kind == SCRIPT_LINE_KBD) {
        record.key = static_cast<char>(data[1]);
    } else {
        record.count = take_int32(data + 9) & 0x7FFFFFFF;
    }
    char line[64];
    const int length = format_script_line(record, line, sizeof line);
    check(length > 0 && length < static_cast<int>(sizeof line), "a record's line does not fit");
    const ScriptRecord back = parse_script_line(line, sizeof line);
    check(back.kind == record.kind && back.x == record.x && back.y == record.y && back.key == record.key &&
              back.count == record.count,
          "a written record reads back changed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    parse_as_one_line(data, size);
    read_as_script(data, size);
    play_as_script(data, size);
    round_trip(data, size);
    return 0;
}
