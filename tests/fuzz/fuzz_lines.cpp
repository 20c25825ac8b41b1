// Fuzz target: random bytes, a random valid layout, byte order, formatter and
// way the input arrives; the fast dump must print what the line loop prints,
// and neither may wait for input with a whole field held back.
//
// Input: byte 0 holds the options (bit 0 big-endian, bits 1-2 formatter,
// bit 3 read error at the end, bit 4 pauses after every piece), bytes 1 and
// 2 the size of the input's pieces (1 to 65536, low byte first), byte 3 the
// layout length (1 to 30), then one byte per layout digit (its two low bits
// choose 1, 2, 4 or 8); the rest is the data to dump.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dump_compare.h"
#include "field/formatters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    uint8_t options = data[0];
    size_t piece = 1 + (data[1] | static_cast<size_t>(data[2]) << 8);
    size_t fields = 1 + data[3] % 30;
    if (size < 4 + fields) return 0;
    std::string layout;
    for (size_t i = 0; i < fields; ++i) layout += "1248"[data[4 + i] & 3];
    const uint8_t* bytes = data + 4 + fields;
    size_t count = size - 4 - fields;

    SelectFormatter(static_cast<FormatterLevel>((options >> 1) & 3));
    Arrival arrival{piece, (options & 16) != 0, (options & 8) != 0};
    std::string difference = CompareDumps(bytes, count, arrival, layout.c_str(), options & 1);
    if (!difference.empty()) {
        fprintf(stderr, "%s\n", difference.c_str());
        abort();
    }
    return 0;
}
