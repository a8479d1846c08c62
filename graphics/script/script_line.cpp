// Reading and writing the lines of the event script.
#include "script_line.h"

#include <cstring>
#include <limits>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Where a number may start and what it may be made of: the mouse and keyboard numbers may
// carry a minus sign anywhere in their run, the periodic count is digits only.
bool belongs_to_number(char c, bool minus_allowed) { return is_digit(c) || (minus_allowed && c == '-'); }

std::size_t skip_to_number(const char *line, std::size_t at, std::size_t end, bool minus_allowed) {
    while (at < end && !belongs_to_number(line[at], minus_allowed)) ++at;
    return at;
}

std::size_t skip_number(const char *line, std::size_t at, std::size_t end, bool minus_allowed) {
    while (at < end && belongs_to_number(line[at], minus_allowed)) ++at;
    return at;
}

// An optional sign, then digits, up to the first other character. The value is clamped to
// the 32-bit range however long the run of digits is, so that no value is ever undefined.
int32_t convert_number(const char *line, std::size_t at, std::size_t end) {
    constexpr int64_t largest = std::numeric_limits<int32_t>::max();
    constexpr int64_t smallest = std::numeric_limits<int32_t>::min();
    bool negative = false;
    if (at < end && (line[at] == '-' || line[at] == '+')) {
        negative = line[at] == '-';
        ++at;
    }
    int64_t magnitude = 0;
    for (; at < end && is_digit(line[at]); ++at) {
        magnitude = magnitude * 10 + (line[at] - '0');
        if (magnitude > largest + 1) magnitude = largest + 1;  // stays clear of int64 overflow
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > largest) return static_cast<int32_t>(largest);
    if (value < smallest) return static_cast<int32_t>(smallest);
    return static_cast<int32_t>(value);
}

// Finds the next number from `at` on and converts it; `at` moves past the number's run.
int32_t next_number(const char *line, std::size_t &at, std::size_t end, bool minus_allowed) {
    const std::size_t start = skip_to_number(line, at, end, minus_allowed);
    at = skip_number(line, start, end, minus_allowed);
    return convert_number(line, start, at);
}

}  // namespace

ScriptReadResult read_script_line(FILE *stream, char *line, int size) {
    for (;;) {
        // Only a successful read puts a line in the buffer: what an earlier read left there
        // must never be taken again, and a stream that keeps failing must not keep us here.
        if (std::fgets(line, size, stream) == nullptr)
            return std::feof(stream) ? SCRIPT_READ_END_OF_FILE : SCRIPT_READ_FAILED;
        if (std::feof(stream)) return SCRIPT_READ_END_OF_FILE;
        if (line[0] != '\n') return SCRIPT_READ_LINE;
    }
}

ScriptRecord parse_script_line(const char *line, std::size_t size) {
    ScriptRecord record = {SCRIPT_LINE_UNRECOGNISED, 0, 0, 0, 0};
    if (size <= SCRIPT_KIND_INDEX) return record;  // also keeps an empty buffer away from memchr
    const void *nul = std::memchr(line, '\0', size);
    const std::size_t end = nul != nullptr ? static_cast<std::size_t>(static_cast<const char *>(nul) - line) : size;
    if (end <= SCRIPT_KIND_INDEX) return record;

    std::size_t at = SCRIPT_KIND_INDEX;
    switch (line[SCRIPT_KIND_INDEX]) {
        case 'M':
            record.kind = SCRIPT_LINE_MOUSE;
            record.x = next_number(line, at, end, true);
            record.y = next_number(line, at, end, true);
            break;
        case 'K':
            record.kind = SCRIPT_LINE_KBD;
            record.key = static_cast<char>(static_cast<uint32_t>(next_number(line, at, end, true)) & 0xFFu);
            break;
        case 'P':
            record.kind = SCRIPT_LINE_PERIODIC;
            record.count = next_number(line, at, end, false);
            break;
        default:
            break;
    }
    return record;
}

int format_script_line(const ScriptRecord &record, char *buffer, std::size_t size) {
    switch (record.kind) {
        case SCRIPT_LINE_MOUSE:
            return std::snprintf(buffer, size, "ZAVOK_MOUSE(%d, %d);\n", static_cast<int>(record.x),
                                 static_cast<int>(record.y));
        case SCRIPT_LINE_KBD:
            // Written as a signed 8-bit number: codes above 127 appear negative.
            return std::snprintf(buffer, size, "ZAVOK_KBD(%d);\n", static_cast<int>(static_cast<signed char>(record.key)));
        case SCRIPT_LINE_PERIODIC:
            return std::snprintf(buffer, size, "ZAVOK_PERIODIC(%d);\n", static_cast<int>(record.count));
        default:
            if (size > 0) buffer[0] = '\0';
            return 0;
    }
}
