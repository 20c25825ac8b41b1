// Writing standard output: everything the tool prints (texts and dump alike)
// passes through one fixed buffer, so the order of the pieces is kept and the
// system sees large writes only.
#pragma once

#include <cstddef>

#include "common/platform.h"

constexpr size_t outputBufferSize = 256 * 1024;

// Returns room for `count` bytes (at most outputBufferSize), flushing first
// if the buffer has less left. Fill it, then call CommitOutput.
char* ReserveOutput(size_t count);
void CommitOutput(size_t count);

// How many bytes ReserveOutput can hand out before it has to flush.
size_t OutputRoom();

// Writes `count` bytes (at most outputBufferSize) as they are.
void WriteOutput(const char* bytes, size_t count);

// Writes `lineEnd`.
void WriteLineEnd();

// Writes a terminated string with each line feed in it as `lineEnd`.
void WriteLines(const char* bytes);

// Hands the buffered bytes to the system. A failed write ends the process
// with status 1 at once: nothing more could reach the reader.
void FlushOutput();

// True when something has been written and the last byte is not a line feed.
bool OutputInsideLine();

// Flushes everything and ends the process, which closes the input if it is
// still open.
[[noreturn]] void EndProcess(int status);
