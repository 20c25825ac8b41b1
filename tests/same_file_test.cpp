// Whether standard output is the input, as decided from two files' volume
// serial numbers and IDs: IDs of all zeros never match, and a serial
// number of 0 on either side leaves the decision to the files' paths.

#include "common/same_file.h"

#include <cstdio>

int main() {
    const FileIdentity file{0x1234, {7}}, other{0x1234, {8}}, elsewhere{0x9999, {7}}, zeroSerial{0, {7}},
        noId{0x1234, {}}, nothing{0, {}};
    struct Row {
        const char* label;
        FileIdentity a, b;
        int expected;
    };
    const Row rows[] = {
        {"one file", file, file, 1},
        {"another ID on the volume", file, other, 0},
        {"the ID on another volume", file, elsewhere, 0},
        {"no serial number on one side", file, zeroSerial, -1},
        {"no serial number on the other", zeroSerial, file, -1},
        {"no serial number on either", zeroSerial, zeroSerial, -1},
        {"no serial number, another ID", zeroSerial, FileIdentity{0, {8}}, 0},
        {"IDs of zeros on one volume", noId, noId, 0},
        {"IDs and serial numbers of zeros (WinFsp)", nothing, nothing, 0},
    };
    int failures = 0;
    for (const Row& row : rows) {
        int got = SameFileById(row.a, row.b);
        if (got != row.expected) {
            printf("FAIL %s: %d, not %d\n", row.label, got, row.expected);
            ++failures;
        }
    }
    printf("%d of %zu rows passed\n", static_cast<int>(sizeof rows / sizeof *rows) - failures,
           sizeof rows / sizeof *rows);
    return failures == 0 ? 0 : 1;
}
