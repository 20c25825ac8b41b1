#include "common/input.h"

#include <cstring>

#include "common/output.h"
#include "common/platform.h"
#include "common/state.h"

namespace {

constexpr size_t slack = 32;
// Every read asks for at least this much: an input of records (a datagram
// or sequenced-packet socket, an eventfd, inotify) hands each record whole to
// one read, and drops the rest of one that does not fit or refuses the read.
// 64 KiB holds the largest UDP datagram.
constexpr size_t recordRoom = 64 * 1024;
constexpr size_t blockCapacity = inputBlockSize + recordRoom;
// The block starts 32 bytes into a page: the system's copy from the page
// cache into it ran about 3% slower when both sides lay at the same offset
// within their pages.
constexpr size_t pageOffset = 32;
alignas(4096) unsigned char blockPage[pageOffset + blockCapacity + slack];
unsigned char* const block = blockPage + pageOffset;
size_t blockStart;  // first unread byte
size_t blockEnd;    // one past the last byte read in
bool streamEnded;   // the input reported its end or a failure
bool readFailed;

// Keeps the unread bytes, moved to the front, and reads into the rest of the
// buffer until it holds inputBlockSize bytes or the input ends; each read
// has room for recordRoom bytes or more. An input that would make the next
// read wait is left alone once `wanted` bytes are there, or when the caller
// may not wait; otherwise everything written so far is flushed before the
// read waits.
void Fill(size_t wanted, bool mayWait) {
    size_t left = blockEnd - blockStart;
    memmove(block, block + blockStart, left);
    blockStart = 0;
    blockEnd = left;
    while (!streamEnded && blockEnd < inputBlockSize) {
        if (SystemInputWouldWait()) {
            if (blockEnd >= wanted || !mayWait) return;
            FlushOutput();
        }
        long got = SystemRead(block + blockEnd, blockCapacity - blockEnd);
        if (got <= 0) {
            streamEnded = true;
            readFailed = got < 0;
            return;
        }
        blockEnd += static_cast<size_t>(got);
    }
}

// Whether `path` names the standard input. It is read itself on every
// system, never opened anew by a name that Linux resolves to a new open of
// what it is (a new terminal for a terminal's master side, a file the caller
// may read but not open, the file from its first byte). /proc/self/fd/0 is
// Linux's name; elsewhere it is a name like the others.
bool NamesStandardInput(const char* path) {
    return strcmp(path, "/dev/stdin") == 0 || strcmp(path, "/dev/fd/0") == 0 || strcmp(path, "/proc/self/fd/0") == 0;
}

}  // namespace

bool OpenInput(const char* path) {
    blockStart = blockEnd = 0;
    streamEnded = readFailed = false;
    return NamesStandardInput(path) ? SystemOpenStandardInput() : SystemOpenInput(path);
}

void CloseInput() {
    if (inputFile != nullptr) fclose(inputFile);
    inputFile = nullptr;
}

int ReadByte() {
    if (blockStart == blockEnd) {
        Fill(1, true);
        if (blockStart == blockEnd) return -1;
    }
    return block[blockStart++];
}

size_t PeekInput(size_t wanted, const unsigned char** data) {
    if (blockEnd - blockStart < wanted) Fill(wanted, false);
    *data = block + blockStart;
    return blockEnd - blockStart;
}

void SkipInput(size_t count) { blockStart += count; }

size_t InputBuffered() { return blockEnd - blockStart; }

bool InputFailed() { return readFailed; }
