// The formatters: each fills `periods` whole periods of output from as many
// periods of input, following a line plan. They print the same bytes; the
// best the processor can run is used.
#pragma once

#include <cstddef>

#include "field/line_plan.h"
#include "field/vector_formatters.h"

// Fills `periods * plan.periodOut` bytes at `out` from `periods *
// plan.periodIn` bytes at `in`, which must be followed by 32 readable bytes.
void Format(const LinePlan& plan, const unsigned char* in, size_t periods, char* out);

// Chooses the formatter `wanted`, or the best the processor can run if it
// lacks what that one needs. Returns the one in use.
FormatterLevel SelectFormatter(FormatterLevel wanted);

// The formatter Format runs, null until one is chosen: for the tests, which
// check that each level runs its own.
FormatFunction FormatterInUse();
