// The tool's messages and usage screen. The file that defines them is
// compiled with the console encoding as its execution character set, so the
// bytes in the program are Shift_JIS (or UTF-8 in a build that asks for it).
#pragma once

constexpr int usageLineCount = 12;
extern const char* const usageLines[usageLineCount];

extern const char byteOrderMessage[];
extern const char layoutLengthMessage[];  // holds %d for the longest length
extern const char layoutCharacterMessage[];
extern const char openErrorMessage[];
extern const char readErrorMessage[];
