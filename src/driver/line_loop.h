#pragma once

#include <cstddef>

// Walks the layout string over and over, one field per digit, writing a line
// end each time a pass ends. Returns 0 when the input has ended; returns 1
// at a line start once `handBackAt` bytes of input are buffered, so that the
// fast whole-line path can take over again.
int RunLineLoop(size_t handBackAt);

// The whole dump: whole lines the fast way while a period of input is
// buffered, the rest field by field. Prints exactly what the line loop alone
// would, and never waits for input before every field whose bytes have
// arrived has been written out.
void DumpInput();
