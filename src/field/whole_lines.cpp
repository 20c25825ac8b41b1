#include "field/whole_lines.h"

#include <cstdint>
#include <cstring>
#include <numeric>

#include "common/input.h"
#include "common/output.h"
#include "common/state.h"
#include "field/hex_pairs.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TOLVARIN_X86 1
#include <immintrin.h>
// 32-bit Windows keeps the stack 4-byte aligned: the vector formatters
// realign it on entry, so that a vector spilled to the stack is aligned.
#ifdef __i386__
#define VECTOR_ENTRY __attribute__((force_align_arg_pointer))
#else
#define VECTOR_ENTRY
#endif
#endif

namespace {

// 30 fields of 8 bytes make the longest line: 240 input bytes, 512 output
// bytes with a two-byte line end. A period holds at most 32 such lines.
constexpr size_t maxPeriodOut = 16384;
constexpr size_t maxPeriodIn = 8192;
constexpr size_t maxBlocks = maxPeriodOut / 32;

size_t periodIn;
size_t periodOut;

// Portable plan: the period's output with spaces and line feeds in place,
// and where the two digits of each input byte go.
char periodTemplate[maxPeriodOut];
uint16_t digitsAt[maxPeriodIn];

// Vector plan, one entry per 32 output bytes, each half of 16 bytes drawing
// on two 16-byte windows of the period's input. One window may not reach
// every byte a half shows: a little-endian field puts its first input byte
// last. Two always do: a half shows at most the first bytes of one field,
// up to 5 whole bytes of others and the last bytes of one more field, so the
// bytes it shows lie within 8 + 5 + 8 = 21 bytes of input. The
// rows: the shuffle of window A, the shuffle of window B, a mask of the
// positions that take a byte's low digit, a mask of those that take its high
// digit, and what to add to the digit '0' at the positions of a space or a
// line feed.
enum { shuffleA, shuffleB, lowDigit, highDigit, fixedChar, planRows };
alignas(32) unsigned char blockPlan[maxBlocks][planRows][32];
int32_t windowFrom[maxBlocks][4];  // A and B of the low half, A and B of the high half

// Input byte behind each output position (-1: a space or a line feed), and
// whether the position holds that byte's high digit.
int32_t sourceOf[maxPeriodOut];
bool highOf[maxPeriodOut];

// The formatters, best last: each needs the processor to have what the
// one before it needs.
enum Formatter { portable, ssse3, avx2 };

Formatter BestFormatter() {
#ifdef TOLVARIN_X86
    // This may run among the static constructors, before the compiler's own
    // processor detection has run: run it first.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return avx2;
    if (__builtin_cpu_supports("ssse3")) return ssse3;
#endif
    return portable;
}

Formatter formatter = BestFormatter();

// Fills row `half` (0 or 1) of block `block` for output positions
// [start, start + 16): window A starts at the first byte shown, window B at
// the first byte shown that A does not reach.
void PlanHalf(size_t block, int half, size_t start) {
    int32_t from = INT32_MAX;
    for (size_t p = start; p < start + 16; ++p)
        if (sourceOf[p] >= 0 && sourceOf[p] < from) from = sourceOf[p];
    if (from == INT32_MAX) from = 0;
    int32_t second = INT32_MAX;
    for (size_t p = start; p < start + 16; ++p)
        if (sourceOf[p] >= from + 16 && sourceOf[p] < second) second = sourceOf[p];
    if (second == INT32_MAX) second = from;
    windowFrom[block][2 * half] = from;
    windowFrom[block][2 * half + 1] = second;

    unsigned char(*rows)[32] = blockPlan[block];
    for (size_t p = start; p < start + 16; ++p) {
        size_t at = 16 * half + (p - start);
        int32_t source = sourceOf[p];
        rows[shuffleA][at] = rows[shuffleB][at] = 0x80;
        rows[lowDigit][at] = rows[highDigit][at] = 0;
        rows[fixedChar][at] = 0;
        if (source < 0) {
            rows[fixedChar][at] = static_cast<unsigned char>(periodTemplate[p] - '0');
            continue;
        }
        if (source < from + 16)
            rows[shuffleA][at] = static_cast<unsigned char>(source - from);
        else
            rows[shuffleB][at] = static_cast<unsigned char>(source - second);
        rows[highOf[p] ? highDigit : lowDigit][at] = 0x0F;
    }
}

void FormatPortable(const unsigned char* in, size_t periods, char* out) {
    for (size_t period = 0; period < periods; ++period) {
        memcpy(out, periodTemplate, periodOut);
        for (size_t i = 0; i < periodIn; ++i) memcpy(out + digitsAt[i], hexPairs.digits + 2 * in[i], 2);
        in += periodIn;
        out += periodOut;
    }
}

#ifdef TOLVARIN_X86
// Per 16 output bytes: gather each position's input byte from two windows,
// keep its high or low nibble, turn the nibble into its digit, and add the
// offset that makes a space or a line end of the positions between fields.
__attribute__((target("ssse3"))) VECTOR_ENTRY void FormatSsse3(const unsigned char* in, size_t periods,
                                                               char* out) {
    const __m128i digits = _mm_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F');
    const size_t blocks = periodOut / 32;
    for (size_t period = 0; period < periods; ++period) {
        for (size_t block = 0; block < blocks; ++block) {
            for (int half = 0; half < 2; ++half) {
                const int32_t* from = windowFrom[block] + 2 * half;
                const __m128i* plan = reinterpret_cast<const __m128i*>(blockPlan[block]) + half;
                __m128i windowA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + from[0]));
                __m128i windowB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + from[1]));
                __m128i bytes = _mm_or_si128(_mm_shuffle_epi8(windowA, plan[2 * shuffleA]),
                                             _mm_shuffle_epi8(windowB, plan[2 * shuffleB]));
                __m128i nibbles = _mm_or_si128(_mm_and_si128(bytes, plan[2 * lowDigit]),
                                               _mm_and_si128(_mm_srli_epi16(bytes, 4), plan[2 * highDigit]));
                __m128i chars = _mm_add_epi8(_mm_shuffle_epi8(digits, nibbles), plan[2 * fixedChar]);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * block + 16 * half), chars);
            }
        }
        in += periodIn;
        out += periodOut;
    }
}

__attribute__((target("avx2"))) inline __m256i LoadWindows(const unsigned char* low, const unsigned char* high) {
    __m128i lowHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
    __m128i highHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lowHalf), highHalf, 1);
}

// The same, 32 output bytes at a time: both halves in one register.
__attribute__((target("avx2"))) VECTOR_ENTRY void FormatAvx2(const unsigned char* in, size_t periods, char* out) {
    const __m256i digits = _mm256_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D',
                                            'E', 'F', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B',
                                            'C', 'D', 'E', 'F');
    const size_t blocks = periodOut / 32;
    for (size_t period = 0; period < periods; ++period) {
        for (size_t block = 0; block < blocks; ++block) {
            const int32_t* from = windowFrom[block];
            const __m256i* plan = reinterpret_cast<const __m256i*>(blockPlan[block]);
            __m256i windowA = LoadWindows(in + from[0], in + from[2]);
            __m256i windowB = LoadWindows(in + from[1], in + from[3]);
            __m256i bytes = _mm256_or_si256(_mm256_shuffle_epi8(windowA, plan[shuffleA]),
                                            _mm256_shuffle_epi8(windowB, plan[shuffleB]));
            __m256i nibbles = _mm256_or_si256(_mm256_and_si256(bytes, plan[lowDigit]),
                                              _mm256_and_si256(_mm256_srli_epi16(bytes, 4), plan[highDigit]));
            __m256i chars = _mm256_add_epi8(_mm256_shuffle_epi8(digits, nibbles), plan[fixedChar]);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * block), chars);
        }
        in += periodIn;
        out += periodOut;
    }
}
#endif

void Format(const unsigned char* in, size_t periods, char* out) {
    switch (formatter) {
#ifdef TOLVARIN_X86
        case avx2:
            FormatAvx2(in, periods, out);
            return;
        case ssse3:
            FormatSsse3(in, periods, out);
            return;
#endif
        default:
            FormatPortable(in, periods, out);
    }
}

}  // namespace

size_t PlanWholeLines() {
    size_t lineIn = 0;
    size_t fields = strlen(layoutText);
    for (size_t i = 0; i < fields; ++i) lineIn += static_cast<size_t>(layoutText[i] - '0');
    size_t lineOut = 2 * lineIn + fields + lineEndLength;
    size_t lines = 32 / std::gcd(lineOut, size_t{32});
    while (lines * lineOut < 2048) lines *= 2;
    periodIn = lines * lineIn;
    periodOut = lines * lineOut;

    size_t in = 0;
    size_t out = 0;
    for (size_t line = 0; line < lines; ++line) {
        for (size_t i = 0; i < fields; ++i) {
            size_t width = static_cast<size_t>(layoutText[i] - '0');
            for (size_t j = 0; j < width; ++j) {
                size_t at = out + 2 * (bigEndian ? j : width - 1 - j);
                digitsAt[in + j] = static_cast<uint16_t>(at);
                periodTemplate[at] = periodTemplate[at + 1] = '0';
                sourceOf[at] = sourceOf[at + 1] = static_cast<int32_t>(in + j);
                highOf[at] = true;
                highOf[at + 1] = false;
            }
            in += width;
            out += 2 * width;
            periodTemplate[out] = ' ';
            sourceOf[out++] = -1;
        }
        for (size_t k = 0; k < lineEndLength; ++k) {
            periodTemplate[out] = lineEnd[k];
            sourceOf[out++] = -1;
        }
    }

    for (size_t block = 0; block < periodOut / 32; ++block) {
        PlanHalf(block, 0, 32 * block);
        PlanHalf(block, 1, 32 * block + 16);
    }
    return periodIn;
}

void DumpWholeLines() {
    for (;;) {
        const unsigned char* in = nullptr;
        size_t periods = PeekInput(periodIn, &in) / periodIn;
        if (periods == 0) return;
        if (OutputRoom() < periodOut) FlushOutput();
        size_t fit = OutputRoom() / periodOut;
        if (periods > fit) periods = fit;
        Format(in, periods, ReserveOutput(periods * periodOut));
        CommitOutput(periods * periodOut);
        SkipInput(periods * periodIn);
    }
}

int SelectFormatter(int wanted) {
    Formatter best = BestFormatter();
    formatter = wanted < best ? static_cast<Formatter>(wanted) : best;
    return formatter;
}
