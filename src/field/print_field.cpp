#include "field/print_field.h"

#include <cstring>

#include "common/input.h"
#include "common/output.h"
#include "common/state.h"
#include "field/hex_pairs.h"

int PrintField(int width) {
    unsigned char fieldBytes[8];
    memset(fieldBytes, 0, sizeof fieldBytes);
    int result = 1;
    for (int index = 0; index < width; ++index) {
        int byte = ReadByte();
        if (byte < 0) {
            result = 0;
            if (index == 0) return 0;
            break;
        }
        fieldBytes[index] = static_cast<unsigned char>(byte);
    }

    char* out = ReserveOutput(2 * width + 1);
    for (int index = 0; index < width; ++index) {
        int byte = fieldBytes[bigEndian ? index : width - 1 - index];
        memcpy(out + 2 * index, hexPairs.digits + 2 * byte, 2);
    }
    out[2 * width] = ' ';
    CommitOutput(2 * width + 1);
    return result;
}
