// Everything a platform supplies to the rest of the tool. Each platform
// defines these in a file of its own (platform_posix.cpp,
// platform_windows.cpp); the in-process tests define the calls the dump
// makes over a stand-in of their own. Nothing outside this layer asks which
// system it runs on.
#pragma once

#include <cstddef>

// What ends a line. The tool writes it itself, so standard output takes the
// bytes unchanged.
#ifdef _WIN32
constexpr char lineEnd[] = "\r\n";
#else
constexpr char lineEnd[] = "\n";
#endif
constexpr size_t lineEndLength = sizeof lineEnd - 1;

// Command-line argument `index` for checking against the byte orders and
// layout digits: as typed, so that no character the system's narrow copy
// changed (Windows' best-fit "－Ｂ" for "-B") can pass. It holds a byte of
// 0x80 or more wherever the argument held a character outside ASCII. Valid
// until the next call.
const char* SystemArgument(char** argv, int index);

// Opens `path` for reading in binary mode and sets the process-wide
// `inputFile` to it; the input layer closes it with fclose. False when it
// does not open; a directory counts as not opening.
bool SystemOpenInput(const char* path);

// The same for the standard input itself, read from where it stands (a
// file the caller has partly read goes on from there), whatever it is.
bool SystemOpenStandardInput();

// One read of at most `count` bytes: the bytes that have arrived, or, when
// none has, the first ones to arrive. Returns how many, 0 at the end of the
// input and -1 when the read failed.
long SystemRead(unsigned char* buffer, size_t count);

// True when standard output is the input itself: a regular file with bytes
// still to read, which the dump would feed its own output or write over
// before reading it.
bool SystemOutputIsInput();

// True when the next read would have to wait for the input to send more: a
// pipe, FIFO, terminal or port that holds nothing yet. Never true for a
// regular file with a size, which is read in whole blocks.
bool SystemInputWouldWait();

// Writes all `count` bytes to standard output, waiting while it cannot take
// them. False when the write failed.
bool SystemWrite(const char* bytes, size_t count);

// Confines the process to the descriptors it holds, once the input is open:
// where the system has a sandbox for it (Landlock on Linux), the process can
// from then on open, create, remove or run no file, and, as far as the
// kernel's sandbox reaches, bind or connect no TCP port, reach no abstract
// Unix socket and signal no process outside it. It decides the texts'
// encoding first, which may read the locale's files. Where there is no
// sandbox, nothing changes; the output never does.
void SystemConfine();

// True when standard output shows the tool's texts in UTF-8: a terminal
// whose locale is UTF-8.
bool SystemTextsInUtf8();

// True when one of the tool's Shift_JIS texts (`name` false) or a file name
// as the command line gave it (`name` true) reaches standard output only as
// characters, not as bytes: on a Windows console, a name always and a text
// unless the console shows Shift_JIS.
bool SystemNeedsCharacters(bool name);

// Writes it so, straight to standard output, each line feed as lineEnd.
// False when the write failed.
bool SystemWriteCharacters(const char* text, bool name);
