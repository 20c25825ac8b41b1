#include "common/input.h"

#include <cstring>

#include "common/state.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

constexpr size_t slack = 32;
unsigned char block[inputBlockSize + slack];
size_t blockStart;  // first unread byte
size_t blockEnd;    // one past the last byte read in
bool streamEnded;   // the stream reported its end or an error

// Keeps the unread bytes, moved to the front, and fills the rest of the
// buffer. fread returns short only at the end of the input or on an error,
// so one call either fills the buffer or finds the end.
void Refill() {
    size_t left = blockEnd - blockStart;
    memmove(block, block + blockStart, left);
    blockStart = 0;
    blockEnd = left;
    if (streamEnded) return;
    size_t wanted = inputBlockSize - blockEnd;
    size_t got = fread(block + blockEnd, 1, wanted, inputFile);
    blockEnd += got;
    if (got < wanted) streamEnded = true;
}

}  // namespace

bool OpenInput(const char* path) {
    FILE* stream = nullptr;
#ifdef _WIN32
    if (fopen_s(&stream, path, "rb") != 0) return false;
#else
    stream = fopen(path, "rb");
    if (stream == nullptr) return false;
    // A directory opens for reading here but has no bytes to give.
    struct stat status;
    if (fstat(fileno(stream), &status) != 0 || S_ISDIR(status.st_mode)) {
        fclose(stream);
        return false;
    }
#endif
    // Whole blocks go straight from the system into the block buffer.
    setvbuf(stream, nullptr, _IONBF, 0);
    AttachInput(stream);
    return true;
}

void AttachInput(FILE* stream) {
    inputFile = stream;
    blockStart = blockEnd = 0;
    streamEnded = false;
}

void CloseInput() {
    if (inputFile != nullptr) fclose(inputFile);
    inputFile = nullptr;
}

int ReadByte() {
    if (blockStart == blockEnd) {
        Refill();
        if (blockStart == blockEnd) return -1;
    }
    return block[blockStart++];
}

size_t PeekInput(size_t wanted, const unsigned char** data) {
    if (blockEnd - blockStart < wanted) Refill();
    *data = block + blockStart;
    return blockEnd - blockStart;
}

void SkipInput(size_t count) { blockStart += count; }

bool InputFailed() { return inputFile != nullptr && ferror(inputFile) != 0; }
