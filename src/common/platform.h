// Everything a platform supplies to the rest of the tool. Each platform
// defines these in files of its own (platform_posix.cpp; on Windows
// platform_windows_input.cpp, platform_windows_devices.cpp and
// platform_windows_output.cpp); the in-process tests define the calls the
// dump makes over a stand-in of their own. Nothing outside this layer asks
// which system it runs on.
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

// The tool's entry, which the platform's start-up calls with the
// command-line arguments as typed: on Windows from the wide-character
// command line, converted to UTF-8, so that no character that the system's
// narrow copy would change (best-fit "－Ｂ" for "-B", "＂" for '"') can pass
// a check or split an argument. A character outside ASCII is bytes of 0x80
// or more. Never returns.
[[noreturn]] void Entry(int argc, char** argv);

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
// as the entry got it (`name` true) needs the system to convert it for
// standard output: on a Windows console, a name always and a text unless the
// console shows Shift_JIS; elsewhere on Windows a name, held in UTF-8, unless
// standard output is a terminal that shows UTF-8.
bool SystemNeedsCharacters(bool name);

// Writes it so, straight to standard output: on a console as characters,
// each line feed as lineEnd; elsewhere a name in the bytes of the ANSI code
// page. False when the write failed.
bool SystemWriteCharacters(const char* text, bool name);
