// The two upper-case hexadecimal digits of every byte value, built at compile
// time: the digits of byte b are hexPairs.digits[2 * b] and [2 * b + 1].
#pragma once

struct HexPairTable {
    char digits[512];
};

constexpr HexPairTable MakeHexPairs() {
    HexPairTable table{};
    const char* hex = "0123456789ABCDEF";
    for (int b = 0; b < 256; ++b) {
        table.digits[2 * b] = hex[b >> 4];
        table.digits[2 * b + 1] = hex[b & 15];
    }
    return table;
}

inline constexpr HexPairTable hexPairs = MakeHexPairs();
