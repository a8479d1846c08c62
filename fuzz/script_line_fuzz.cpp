// libFuzzer target for the event script's line reader: any bytes as one line, the same bytes
// as a whole script read line by line, and a record built from them written and read back.
#include "script_line.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    round_trip(data, size);
    return 0;
}
