#pragma once

// Walks the layout string over and over, one field per digit, writing a line
// feed each time a pass ends, until the input ends.
void RunLineLoop();

// The whole dump: whole lines the fast way, then the rest through the line
// loop. Prints exactly what RunLineLoop alone would.
void DumpInput();
