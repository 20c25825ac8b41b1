// Fuzz target: random bytes, a random valid layout, byte order, formatter and
// stream behaviour; the fast dump must print what the line loop prints.
//
// Input: byte 0 holds the options (bit 0 big-endian, bit 1 vector formatter,
// bit 2 read error at the end, bits 3-7 the size of the stream's pieces),
// byte 1 the layout length (1 to 30), then one byte per layout digit (its
// two low bits choose 1, 2, 4 or 8); the rest is the data to dump.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dump_compare.h"
#include "field/whole_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    uint8_t options = data[0];
    size_t fields = 1 + data[1] % 30;
    if (size < 2 + fields) return 0;
    std::string layout;
    for (size_t i = 0; i < fields; ++i) layout += "1248"[data[2 + i] & 3];
    const uint8_t* bytes = data + 2 + fields;
    size_t count = size - 2 - fields;

    SelectVectorLines((options & 2) != 0);
    size_t piece = 1 + (static_cast<size_t>(options >> 3) << 6);
    std::string difference = CompareDumps(bytes, count, piece, (options & 4) != 0, layout.c_str(), options & 1);
    if (!difference.empty()) {
        fprintf(stderr, "%s\n", difference.c_str());
        abort();
    }
    return 0;
}
