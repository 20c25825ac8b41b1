// The operating system under the input and output layers. Each platform has
// a file of its own behind these calls; the in-process tests put a stand-in
// of their own in its place.
#pragma once

#include <cstddef>

// Opens `path` for reading in binary mode into `inputFile`. False when it
// does not open; a directory counts as not opening.
bool SystemOpenInput(const char* path);

// Command-line argument `index` for checking against the byte orders and
// layout digits: as typed, so that no character the system's narrow copy
// changed (Windows' best-fit "－Ｂ" for "-B") can pass. It holds a byte of
// 0x80 or more wherever the argument held a character outside ASCII. Valid
// until the next call.
const char* SystemArgument(char** argv, int index);

// One read of at most `count` bytes: the bytes that have arrived, or, when
// none has, the first ones to arrive. Returns how many, 0 at the end of the
// input and -1 when the read failed.
long SystemRead(unsigned char* buffer, size_t count);

// True when the next read would have to wait for the input to send more: a
// pipe, FIFO or terminal that holds nothing yet. Never true for a regular
// file, which is read in whole blocks.
bool SystemInputWouldWait();

// Writes all `count` bytes to standard output, waiting while it cannot take
// them. False when the write failed.
bool SystemWrite(const char* bytes, size_t count);
