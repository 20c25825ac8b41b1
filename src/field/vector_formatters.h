// The vector formatters of the processor the tool is built for: one file
// per processor family defines VectorFormatters, and the build picks it.
#pragma once

#include <cstddef>

#include "field/line_plan.h"

using FormatFunction = void (*)(const LinePlan& plan, const unsigned char* in, size_t periods, char* out);

// The formatters by level; each level needs what the one below it needs.
enum FormatterLevel : int {
    portableFormatter,  // everywhere
    ssse3Formatter,     // 16 bytes at a time: SSSE3 on x86
    avx2Formatter,      // 32 bytes at a time: AVX2 on x86
    formatterLevels,
    neonFormatter = ssse3Formatter,  // 16 bytes at a time: NEON on 64-bit ARM
};

// Puts the vector formatters that this processor can run into `formatters`
// at their levels and returns the highest level filled, portableFormatter
// when there is none.
FormatterLevel VectorFormatters(FormatFunction formatters[formatterLevels]);
