#include "common/output.h"

#include <cstdlib>
#include <cstring>

#include "common/input.h"

namespace {

char buffer[outputBufferSize];
size_t used;
char lastFlushed;  // last byte handed to the stream, 0 before the first
FILE* sink;

FILE* Sink() { return sink != nullptr ? sink : stdout; }

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

void WriteText(const char* text) { WriteOutput(text, strlen(text)); }

void FlushOutput() {
    if (used == 0) return;
    lastFlushed = buffer[used - 1];
    size_t written = fwrite(buffer, 1, used, Sink());
    bool complete = written == used;
    used = 0;
    if (!complete) EndProcess(1);
}

bool OutputInsideLine() {
    char last = used > 0 ? buffer[used - 1] : lastFlushed;
    return last != 0 && last != '\n';
}

void SetOutputStream(FILE* stream) { sink = stream; }

void EndProcess(int status) {
    FlushOutput();
    if (fflush(Sink()) != 0 || ferror(Sink())) status = 1;
    CloseInput();
    exit(status);
}
