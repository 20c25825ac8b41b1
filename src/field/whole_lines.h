// The fast way through the bulk of the input: whole lines of the layout are
// formatted straight from the input blocks, a period at a time (a fixed run
// of whole lines whose output is a multiple of 32 bytes), with the same bytes
// the line loop would print field by field.
#pragma once

#include <cstddef>

// Builds the plan of one period from `layoutText` and `bigEndian` (a valid,
// non-empty layout) and returns the number of input bytes in a period.
size_t PlanWholeLines();

// Prints every whole period the input holds and stops with fewer than one
// period's bytes left unread, at the start of a line.
void DumpWholeLines();

// Chooses between the vector formatter (where the processor has one) and the
// portable one. Returns whether the vector formatter is in use.
bool SelectVectorLines(bool wanted);
