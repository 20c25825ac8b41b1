// Runs the dump in-process over a stand-in system that gives bytes held in
// memory and captures what is written, so that the fast whole-line path can
// be held against the plain field-by-field line loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// How the stand-in input gives its bytes: in pieces of at most `piece`
// bytes, with the input waiting after each piece if `pauses`, and at the end
// reporting its end, or a read error if `failAtEnd`.
struct Arrival {
    size_t piece;
    bool pauses;
    bool failAtEnd;
};

struct DumpResult {
    std::string output;
    bool readFailed;
    size_t heldWaits;  // waits for input begun with a whole field not yet written out
};

// Dumps `size` bytes of `data` in `layout` and byte order `big`. `wholeLines`
// selects the tool's own dump (fast whole lines, field by field where the
// input pauses) over the line loop alone.
DumpResult RunDump(const uint8_t* data, size_t size, Arrival arrival, const char* layout, bool big, bool wholeLines);

// Both ways over the same input; returns an empty string when they agree and
// neither ever waited with output held back, a description of the first
// fault otherwise.
std::string CompareDumps(const uint8_t* data, size_t size, Arrival arrival, const char* layout, bool big);
