// The plan of a period: a fixed run of whole lines of the layout, laid out
// once so that the formatters can fill any number of periods straight from
// the input without looking at the layout again.
//
// A period is the fewest whole lines whose output is a multiple of 32 bytes,
// so that every 32-byte block of output has the same plan in every period
// and the vector formatters store whole blocks only. It is then doubled
// until its output reaches 2,048 bytes, so that the formatters' steps per
// period (moving on in the input and the output, starting the block loop
// over) are spread over at least 64 blocks.
//
// Worked example: layout "12", little-endian, line end "\n". A line takes
// 3 input bytes and prints 9: "HH LLll \n", the byte b0, then the 2-byte
// field b1 b2 printed b2 first. 9 and 32 share no factor, so a period is
// 32 lines (288 bytes), doubled three times to 256 lines: 768 input bytes,
// 2,304 output bytes, 72 blocks.
//   template, first line:  "00 0000 \n"
//   digitsAt[0..2]:         0, 5, 3   (b0's digits at 0, b1's at 5, b2's at 3)
//   block 0, low half (output 0 to 15, the first line and most of the
//   second, whose bytes are b3 b4 b5):
//     sources:        b0 b0 -  b2 b2 b1 b1 -  -  b3 b3 -  b5 b5 b4 b4
//     shuffle A:      0  0  80 2  2  1  1  80 80 3  3  80 5  5  4  4
//                     (window A starts at b0; every byte lies within it,
//                     so shuffle B is all 80 and takes nothing)
//     high digit:     at 0 3 5 9 12 14;  low digit: at 1 4 6 10 13 15
//     fixed:          ' '-'0' at 2, 7, 11;  '\n'-'0' at 8
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/input.h"
#include "common/output.h"
#include "common/state.h"

// The longest line: 30 fields of 8 bytes, 240 input bytes, each shown as two
// digits, 30 spaces and a line end of up to two bytes.
constexpr size_t maxLineIn = layoutMaxLength * 8;
constexpr size_t maxLineOut = 2 * maxLineIn + layoutMaxLength + 2;
constexpr size_t minPeriodOut = 2048;
// At most 32 lines before doubling; a doubled period stays below twice the
// minimum.
constexpr size_t maxPeriodOut = 32 * maxLineOut;
constexpr size_t maxPeriodIn = maxPeriodOut / 2;  // every input byte prints two digits
constexpr size_t maxBlocks = maxPeriodOut / 32;
static_assert(maxLineOut == 512 && maxPeriodOut == 16384, "the longest line and period");
static_assert(2 * minPeriodOut <= maxPeriodOut, "a doubled period fits");
static_assert(maxPeriodIn <= inputBlockSize && maxPeriodOut <= outputBufferSize,
              "a period fits the input block and the output buffer");

// The rows of a block's plan: each output byte of the block takes its input
// byte from window A or window B (an index into the window, 0x80 for none),
// keeps that byte's low or high digit, or is a space or line end: the digit
// '0' plus the fixed value.
enum PlanRow { shuffleA, shuffleB, lowDigit, highDigit, fixedChar, planRows };

// The plan of 32 output bytes, drawn as two halves of 16. One 16-byte window
// of input may not reach every byte a half shows: a little-endian field puts
// its first input byte last. Two always do. A half shows at most part of one
// field, up to 5 whole bytes of others (16 output bytes hold no more, since
// every byte takes two digits and every field a space) and part of one more
// field: all within 8 + 5 + 8 = 21 bytes of input. Window A starts at the
// first byte shown, window B at the first one shown that A does not reach.
struct BlockPlan {
    alignas(32) unsigned char rows[planRows][32];
    int32_t windowFrom[4];  // A and B of the low half, A and B of the high half
};

struct LinePlan {
    size_t periodIn;   // input bytes in a period
    size_t periodOut;  // output bytes in a period, a multiple of 32
    // The period's output with spaces and line ends in place, and where the
    // two digits of each input byte go: the portable formatter's plan.
    char periodTemplate[maxPeriodOut];
    uint16_t digitsAt[maxPeriodIn];
    BlockPlan blocks[maxBlocks];  // the vector formatters' plan
};

// The number of input bytes one line of `layout` takes, and of bytes it
// prints: two digits a byte, a space a field and the line end.
size_t LineInputBytes(const char* layout);
size_t LineOutputBytes(const char* layout);

// Fills `plan` for `layout` (valid and not empty) in the byte order `big`.
void BuildLinePlan(const char* layout, bool big, LinePlan* plan);
