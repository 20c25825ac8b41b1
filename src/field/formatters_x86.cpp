// The vector formatters on x86: SSSE3, 16 output bytes at a time, and AVX2,
// 32 at a time. Per 16 output bytes: gather each position's input byte from
// two windows with a byte shuffle, keep its high or low nibble, turn the
// nibble into its digit with a second shuffle, and add the offset that makes
// a space or a line end of the positions between fields. On 32-bit x86 the
// build realigns the stack on entry (Windows keeps it 4-byte aligned), so
// that a vector spilled to the stack is aligned.

#include <cpuid.h>
#include <immintrin.h>

#include "field/vector_formatters.h"

namespace {

__attribute__((target("ssse3"))) void FormatSsse3(const LinePlan& plan, const unsigned char* in, size_t periods,
                                                  char* out) {
    const __m128i digits = _mm_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F');
    const size_t blocks = plan.periodOut / 32;
    for (size_t period = 0; period < periods; ++period) {
        for (size_t block = 0; block < blocks; ++block) {
            for (int half = 0; half < 2; ++half) {
                const int32_t* from = plan.blocks[block].windowFrom + 2 * half;
                const __m128i* rows = reinterpret_cast<const __m128i*>(plan.blocks[block].rows) + half;
                __m128i windowA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + from[0]));
                __m128i windowB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + from[1]));
                __m128i bytes = _mm_or_si128(_mm_shuffle_epi8(windowA, rows[2 * shuffleA]),
                                             _mm_shuffle_epi8(windowB, rows[2 * shuffleB]));
                __m128i nibbles = _mm_or_si128(_mm_and_si128(bytes, rows[2 * lowDigit]),
                                               _mm_and_si128(_mm_srli_epi16(bytes, 4), rows[2 * highDigit]));
                __m128i chars = _mm_add_epi8(_mm_shuffle_epi8(digits, nibbles), rows[2 * fixedChar]);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32 * block + 16 * half), chars);
            }
        }
        in += plan.periodIn;
        out += plan.periodOut;
    }
}

__attribute__((target("avx2"))) inline __m256i LoadWindows(const unsigned char* low, const unsigned char* high) {
    __m128i lowHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
    __m128i highHalf = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lowHalf), highHalf, 1);
}

// The same, both halves of a block in one register.
__attribute__((target("avx2"))) void FormatAvx2(const LinePlan& plan, const unsigned char* in, size_t periods,
                                                char* out) {
    const __m256i digits = _mm256_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D',
                                            'E', 'F', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B',
                                            'C', 'D', 'E', 'F');
    const size_t blocks = plan.periodOut / 32;
    for (size_t period = 0; period < periods; ++period) {
        for (size_t block = 0; block < blocks; ++block) {
            const int32_t* from = plan.blocks[block].windowFrom;
            const __m256i* rows = reinterpret_cast<const __m256i*>(plan.blocks[block].rows);
            __m256i windowA = LoadWindows(in + from[0], in + from[2]);
            __m256i windowB = LoadWindows(in + from[1], in + from[3]);
            __m256i bytes = _mm256_or_si256(_mm256_shuffle_epi8(windowA, rows[shuffleA]),
                                            _mm256_shuffle_epi8(windowB, rows[shuffleB]));
            __m256i nibbles = _mm256_or_si256(_mm256_and_si256(bytes, rows[lowDigit]),
                                              _mm256_and_si256(_mm256_srli_epi16(bytes, 4), rows[highDigit]));
            __m256i chars = _mm256_add_epi8(_mm256_shuffle_epi8(digits, nibbles), rows[fixedChar]);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * block), chars);
        }
        in += plan.periodIn;
        out += plan.periodOut;
    }
}

// What the processor and the operating system let the tool run: the
// portable formatter alone, SSSE3's as well, or AVX2's too. CPUID tells
// what the processor has; XGETBV whether the system saves the AVX registers
// on a task switch, without which AVX2 code must not run. Asked directly,
// as GCC and Clang allow on every x86 system: the compiler's own detection
// needs runtime symbols that Apple's x86_64 toolchain does not supply.
FormatterLevel ProcessorLevel() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0 || (ecx & bit_SSSE3) == 0) return portableFormatter;
    if ((ecx & bit_OSXSAVE) == 0 || (ecx & bit_AVX) == 0) return ssse3Formatter;
    unsigned savedState = 0;
    __asm__("xgetbv" : "=a"(savedState) : "c"(0) : "edx");
    const unsigned sseAndAvx = 0x6;  // XCR0: the SSE and the AVX registers
    if ((savedState & sseAndAvx) != sseAndAvx) return ssse3Formatter;
    if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0 || (ebx & bit_AVX2) == 0) return ssse3Formatter;
    return avx2Formatter;
}

}  // namespace

FormatterLevel VectorFormatters(FormatFunction formatters[formatterLevels]) {
    FormatterLevel level = ProcessorLevel();
    if (level >= ssse3Formatter) formatters[ssse3Formatter] = FormatSsse3;
    if (level >= avx2Formatter) formatters[avx2Formatter] = FormatAvx2;
    return level;
}
