// The vector formatters of the processor the tool is built for: one file
// per processor family defines VectorFormatters, and the build picks it.
#pragma once

#include <cstddef>

#include "field/line_plan.h"

using FormatFunction = void (*)(const LinePlan& plan, const unsigned char* in, size_t periods, char* out);

// Puts the vector formatters that this processor can run into `formatters`
// at their levels (1 for 16 bytes at a time, 2 for 32) and returns the
// highest level filled, 0 when there is none.
int VectorFormatters(FormatFunction formatters[3]);
