// Writing standard output: everything the tool prints (texts and dump alike)
// passes through one fixed buffer, so the order of the pieces is kept and the
// system sees large writes only.
#pragma once

#include <cstddef>

constexpr size_t outputBufferSize = 256 * 1024;

// What ends a line on this platform. The tool writes it itself, so standard
// output takes the bytes unchanged.
#ifdef _WIN32
constexpr char lineEnd[] = "\r\n";
#else
constexpr char lineEnd[] = "\n";
#endif
constexpr size_t lineEndLength = sizeof lineEnd - 1;

// One of the tool's texts, in both encodings it may be written in.
struct Text {
    const char* shiftJis;
    const char* utf8;
};

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

// Writes a text in the encoding the reader of standard output can read:
// Shift_JIS, unless standard output is a terminal or console that shows
// another. The platform's file decides.
void WriteText(Text text);

// Writes a file name the way it was given on the command line.
void WriteName(const char* name);

// Hands the buffered bytes to the system. A failed write ends the process
// with status 1 at once: nothing more could reach the reader.
void FlushOutput();

// True when something has been written and the last byte is not a line feed.
bool OutputInsideLine();

// Flushes everything, closes the input and ends the process.
[[noreturn]] void EndProcess(int status);
