#include "dump_compare.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/input.h"
#include "common/output.h"
#include "common/platform.h"
#include "common/state.h"
#include "driver/line_loop.h"
#include "field/line_plan.h"

namespace {

struct Source {
    const uint8_t* data;
    size_t size;
    Arrival arrival;
    size_t delivered;  // bytes handed to the tool
    size_t pieceLeft;  // of the piece being handed over
    bool paused;       // the next read waits
} source;

std::string written;
size_t heldWaits;

// How many bytes the dump has to have written once `bytes` have arrived:
// every whole field, and the line end of every whole line.
size_t WholeFieldsOutput(size_t bytes) {
    size_t lineIn = LineInputBytes(layoutText);
    size_t fields = strlen(layoutText);
    size_t length = bytes / lineIn * LineOutputBytes(layoutText);
    bytes %= lineIn;
    for (size_t i = 0; i < fields; ++i) {
        size_t width = static_cast<size_t>(layoutText[i] - '0');
        if (width > bytes) break;
        bytes -= width;
        length += 2 * width + 1;
    }
    return length;
}

}  // namespace

bool SystemOpenInput(const char*) { return true; }
bool SystemOpenStandardInput() { return true; }

bool SystemInputWouldWait() { return source.paused; }

long SystemRead(unsigned char* buffer, size_t count) {
    if (source.paused) {
        if (written.size() != WholeFieldsOutput(source.delivered)) ++heldWaits;
        source.paused = false;
    }
    size_t left = source.size - source.delivered;
    if (left == 0) return source.arrival.failAtEnd ? -1 : 0;
    if (source.pieceLeft == 0) source.pieceLeft = left < source.arrival.piece ? left : source.arrival.piece;
    size_t got = count < source.pieceLeft ? count : source.pieceLeft;
    memcpy(buffer, source.data + source.delivered, got);
    source.delivered += got;
    source.pieceLeft -= got;
    source.paused = source.pieceLeft == 0 && source.arrival.pauses;
    return static_cast<long>(got);
}

bool SystemWrite(const char* bytes, size_t count) {
    written.append(bytes, count);
    return true;
}

DumpResult RunDump(const uint8_t* data, size_t size, Arrival arrival, const char* layout, bool big, bool wholeLines) {
    strncpy(layoutText, layout, sizeof layoutText - 1);
    bigEndian = big ? 1 : 0;
    source = Source{data, size, arrival, 0, 0, arrival.pauses};
    written.clear();
    heldWaits = 0;
    OpenInput("");
    if (wholeLines)
        DumpInput();
    else
        RunLineLoop(SIZE_MAX);
    FlushOutput();
    CloseInput();
    return DumpResult{written, InputFailed(), heldWaits};
}

std::string CompareDumps(const uint8_t* data, size_t size, Arrival arrival, const char* layout, bool big) {
    DumpResult fast = RunDump(data, size, arrival, layout, big, true);
    DumpResult plain = RunDump(data, size, arrival, layout, big, false);
    char where[200];
    int head = snprintf(where, sizeof where, "layout %s, %s, %zu bytes in pieces of %zu%s: ", layout,
                        big ? "-B" : "-L", size, arrival.piece, arrival.pauses ? " with pauses" : "");
    char* tail = where + head;
    size_t room = sizeof where - static_cast<size_t>(head);
    if (fast.readFailed != arrival.failAtEnd || plain.readFailed != arrival.failAtEnd) {
        snprintf(tail, room, "read failure not reported");
    } else if (fast.heldWaits != 0 || plain.heldWaits != 0) {
        snprintf(tail, room, "%zu and %zu waits with whole fields held back", fast.heldWaits, plain.heldWaits);
    } else if (fast.output != plain.output) {
        size_t at = 0;
        while (at < fast.output.size() && at < plain.output.size() && fast.output[at] == plain.output[at]) ++at;
        snprintf(tail, room, "outputs of %zu and %zu bytes differ at byte %zu", fast.output.size(),
                 plain.output.size(), at);
    } else {
        return std::string();
    }
    return where;
}
