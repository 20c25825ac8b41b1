// Reading the input: opened once, read front to back through one fixed block
// buffer, so any input (a regular file, a pipe, a FIFO, a /proc file) streams
// in constant memory.
#pragma once

#include <cstddef>
#include <cstdio>

// Opens `path` for reading in binary mode into `inputFile`. Returns false when
// it does not open; a directory counts as not opening.
bool OpenInput(const char* path);

// Makes an already open stream the input and empties the block buffer.
void AttachInput(FILE* stream);

// Closes `inputFile` if it is open.
void CloseInput();

// The next byte of the input (0 to 255), or -1 when the input has ended or
// a read failed.
int ReadByte();

// Points `*data` at the unread bytes in the block buffer and returns how many
// there are: at least `wanted` (at most inputBlockSize) unless the input has
// ended. At least 32 readable bytes follow the returned ones in memory, so
// vector loads may run past their end.
size_t PeekInput(size_t wanted, const unsigned char** data);

// Marks `count` bytes returned by PeekInput as read.
void SkipInput(size_t count);

// True when a read of the input failed, as opposed to reaching its end.
bool InputFailed();

constexpr size_t inputBlockSize = 128 * 1024;
