// Process-wide state: filled by the entry from the command line before the
// dump starts, only read while it runs.
#pragma once

#include <cstdint>
#include <cstdio>

// The layout string: at most 30 characters and its terminating zero.
constexpr int layoutMaxLength = 30;
constexpr int layoutCapacity = 32;

// The input file name: its last byte is always zero, so it holds at most
// 4,095 bytes of the name.
constexpr int pathCapacity = 4096;

extern char layoutText[layoutCapacity];
extern char inputPath[pathCapacity];
extern int32_t bigEndian;  // 0: little-endian (-l, -L); 1: big-endian (-b, -B)
extern FILE* inputFile;    // null until the input is open
