// Process-wide state. The entry sets layoutText, inputPath and bigEndian from
// the command line before the dump starts; nothing changes them after.
// inputFile is set by the platform layer when the input layer's OpenInput
// opens the input, and cleared by CloseInput.
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
