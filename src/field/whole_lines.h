// The fast way through the bulk of the input: whole lines of the layout are
// formatted straight from the input blocks, a period at a time (a fixed run
// of whole lines whose output is a multiple of 32 bytes), with the same bytes
// the line loop would print field by field.
#pragma once

#include <cstddef>

// Builds the plan of one period from `layoutText` and `bigEndian` (a valid,
// non-empty layout) and returns the number of input bytes in a period.
size_t PlanWholeLines();

// Prints whole periods while the input has one to give without waiting, and
// stops at the start of a line with fewer than one period's bytes unread.
// Call PlanWholeLines first.
void DumpWholeLines();

// Chooses the formatter `wanted` (0 the portable one, 1 SSSE3, 2 AVX2), or
// the best the processor can run if it lacks what that one needs. Returns
// the one in use.
int SelectFormatter(int wanted);
