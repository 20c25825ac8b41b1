#include "common/output.h"

#include <cstdlib>
#include <cstring>

#include "common/platform.h"

namespace {

char buffer[outputBufferSize];
size_t used;
char lastFlushed;  // last byte handed to the system, 0 before the first

}  // namespace

char* ReserveOutput(size_t count) {
    if (outputBufferSize - used < count) FlushOutput();
    return buffer + used;
}

void CommitOutput(size_t count) { used += count; }

size_t OutputRoom() { return outputBufferSize - used; }

void WriteOutput(const char* bytes, size_t count) {
    memcpy(ReserveOutput(count), bytes, count);
    CommitOutput(count);
}

void WriteLineEnd() { WriteOutput(lineEnd, lineEndLength); }

void WriteLines(const char* bytes) {
    while (const char* end = strchr(bytes, '\n')) {
        WriteOutput(bytes, static_cast<size_t>(end - bytes));
        WriteLineEnd();
        bytes = end + 1;
    }
    WriteOutput(bytes, strlen(bytes));
}

void FlushOutput() {
    if (used == 0) return;
    lastFlushed = buffer[used - 1];
    bool complete = SystemWrite(buffer, used);
    used = 0;
    if (!complete) EndProcess(1);
}

bool OutputInsideLine() {
    char last = used > 0 ? buffer[used - 1] : lastFlushed;
    return last != 0 && last != '\n';
}

void EndProcess(int status) {
    FlushOutput();
    exit(status);
}
