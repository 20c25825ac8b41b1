#pragma once

// Reads one field of `width` bytes (1, 2, 4 or 8) from the input and prints
// it as hexadecimal in the chosen byte order, followed by one space. Returns
// 1 when the whole field was read, 0 when the input ended first: a field cut
// short is printed padded with zero bytes; a field with no byte left prints
// nothing.
int PrintField(int width);
