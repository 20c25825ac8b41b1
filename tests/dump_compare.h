// Runs the dump in-process on bytes held in memory and captures what it
// prints, so that the fast whole-line path can be held against the plain
// field-by-field line loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct DumpResult {
    std::string output;
    bool readFailed;
};

// Dumps `size` bytes of `data` in `layout` and byte order `big`. The input
// stream gives the bytes in pieces of at most `piece` bytes and then reports
// its end, or a read error if `failAtEnd`. `wholeLines` selects the tool's
// own dump (fast whole lines, then the line loop) over the line loop alone.
DumpResult RunDump(const uint8_t* data, size_t size, size_t piece, bool failAtEnd, const char* layout, bool big,
                   bool wholeLines);

// Both ways over the same input; returns an empty string when they agree and
// a description of the first difference otherwise.
std::string CompareDumps(const uint8_t* data, size_t size, size_t piece, bool failAtEnd, const char* layout,
                         bool big);
