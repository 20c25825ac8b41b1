// Reading the input: opened once, read front to back through one fixed block
// buffer, so any input (a regular file, a pipe, a FIFO, a terminal, a /proc
// file) streams in constant memory.
//
// An input that can pause is never waited on while output is held back:
// before a read that would wait, every byte written so far is flushed.
#pragma once

#include <cstddef>

// Opens `path` for reading in binary mode into `inputFile` and empties the
// block buffer; /dev/stdin, /dev/fd/0 and /proc/self/fd/0 are the standard
// input itself. Returns false when it does not open; a directory counts as
// not opening.
bool OpenInput(const char* path);

// Closes `inputFile` if it is open.
void CloseInput();

// The next byte of the input (0 to 255), or -1 when the input has ended or
// a read failed. Waits for the input when it has nothing buffered.
int ReadByte();

// Points `*data` at the unread bytes in the block buffer and returns how many
// there are. Reads more when fewer than `wanted` (at most inputBlockSize)
// are there, but never waits for the input: the count is below `wanted`
// when the input has ended or would make the next read wait. At least 32
// readable bytes follow the returned ones in memory, so vector loads may run
// past their end.
size_t PeekInput(size_t wanted, const unsigned char** data);

// Marks `count` bytes returned by PeekInput as read.
void SkipInput(size_t count);

// How many bytes have been read in and not yet taken.
size_t InputBuffered();

// True when a read of the input failed, as opposed to reaching its end.
bool InputFailed();

constexpr size_t inputBlockSize = 128 * 1024;
