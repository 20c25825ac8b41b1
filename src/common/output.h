// Writing standard output: everything the tool prints (texts and dump alike)
// passes through one fixed buffer into the one stdio stream, so the order of
// the pieces is kept and the stream sees large writes only.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr size_t outputBufferSize = 256 * 1024;

// Returns room for `count` bytes (at most outputBufferSize), flushing first
// if the buffer has less left. Fill it, then call CommitOutput.
char* ReserveOutput(size_t count);
void CommitOutput(size_t count);

// How many bytes ReserveOutput can hand out before it has to flush.
size_t OutputRoom();

// Writes `count` bytes (at most outputBufferSize) or a terminated text.
void WriteOutput(const char* bytes, size_t count);
void WriteText(const char* text);

// Hands the buffered bytes to the stream. A failed write ends the process
// with status 1 at once: nothing more could reach the reader.
void FlushOutput();

// True when something has been written and the last byte is not a line feed.
bool OutputInsideLine();

// Where FlushOutput writes; standard output unless changed.
void SetOutputStream(FILE* stream);

// Flushes everything, closes the input and ends the process. A write to
// standard output that failed turns any status into 1.
[[noreturn]] void EndProcess(int status);
