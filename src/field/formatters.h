// The formatters: each fills `periods` whole periods of output from as many
// periods of input, following a line plan. They print the same bytes; the
// best the processor can run is used.
#pragma once

#include <cstddef>

#include "field/line_plan.h"

// Fills `periods * plan.periodOut` bytes at `out` from `periods *
// plan.periodIn` bytes at `in`, which must be followed by 32 readable bytes.
void Format(const LinePlan& plan, const unsigned char* in, size_t periods, char* out);

// Chooses the formatter `wanted` (0 the portable one, 1 the 16-byte vector
// one: SSSE3 on x86; 2 AVX2 on x86), or the best the processor can run if it
// lacks what that one needs. Returns the one in use.
int SelectFormatter(int wanted);
