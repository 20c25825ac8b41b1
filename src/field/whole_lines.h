// The fast way through the bulk of the input: whole lines of the layout are
// formatted straight from the input blocks, a period of lines at a time
// (see line_plan.h), with the same bytes the line loop would print field by
// field.
#pragma once

#include <cstddef>

// Builds the plan of a period from `layoutText` and `bigEndian` (a valid,
// non-empty layout) and returns the number of input bytes in a period.
size_t PlanWholeLines();

// Prints whole periods while the input has one to give without waiting, and
// stops at the start of a line with fewer than one period's bytes unread.
// Uses the plan PlanWholeLines built last.
void DumpWholeLines();
