// The vector formatter on AArch64, which always has NEON: 16 output bytes at
// a time, as the 16-byte x86 one. TBL gives 0 for an index of 16 or more,
// as the x86 byte shuffle does for 0x80, so the plan serves both. Per 16
// output bytes: gather each position's input byte from two windows, keep
// its high or low nibble, turn the nibble into its digit with a second
// table lookup, and add the offset that makes a space or a line end of the
// positions between fields.

#include <arm_neon.h>

#include "field/vector_formatters.h"

namespace {

void FormatNeon(const LinePlan& plan, const unsigned char* in, size_t periods, char* out) {
    const uint8x16_t digits = vld1q_u8(reinterpret_cast<const uint8_t*>("0123456789ABCDEF"));
    const size_t blocks = plan.periodOut / 32;
    for (size_t period = 0; period < periods; ++period) {
        for (size_t block = 0; block < blocks; ++block) {
            for (int half = 0; half < 2; ++half) {
                const int32_t* from = plan.blocks[block].windowFrom + 2 * half;
                const unsigned char(*rows)[32] = plan.blocks[block].rows;
                const size_t at = 16 * static_cast<size_t>(half);
                uint8x16_t windowA = vld1q_u8(in + from[0]);
                uint8x16_t windowB = vld1q_u8(in + from[1]);
                uint8x16_t bytes = vorrq_u8(vqtbl1q_u8(windowA, vld1q_u8(rows[shuffleA] + at)),
                                            vqtbl1q_u8(windowB, vld1q_u8(rows[shuffleB] + at)));
                uint8x16_t nibbles = vorrq_u8(vandq_u8(bytes, vld1q_u8(rows[lowDigit] + at)),
                                              vandq_u8(vshrq_n_u8(bytes, 4), vld1q_u8(rows[highDigit] + at)));
                uint8x16_t chars = vaddq_u8(vqtbl1q_u8(digits, nibbles), vld1q_u8(rows[fixedChar] + at));
                vst1q_u8(reinterpret_cast<uint8_t*>(out + 32 * block + at), chars);
            }
        }
        in += plan.periodIn;
        out += plan.periodOut;
    }
}

}  // namespace

FormatterLevel VectorFormatters(FormatFunction formatters[formatterLevels]) {
    formatters[neonFormatter] = FormatNeon;
    return neonFormatter;
}
