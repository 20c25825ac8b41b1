#include "dump_compare.h"

#include <sys/types.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/input.h"
#include "common/output.h"
#include "common/state.h"
#include "driver/line_loop.h"

namespace {

struct Source {
    const uint8_t* data;
    size_t size;
    size_t piece;
    bool failAtEnd;
};

ssize_t ReadSource(void* cookie, char* buffer, size_t wanted) {
    Source* source = static_cast<Source*>(cookie);
    if (source->size == 0) {
        if (!source->failAtEnd) return 0;
        errno = EIO;
        return -1;
    }
    size_t count = wanted < source->piece ? wanted : source->piece;
    if (count > source->size) count = source->size;
    memcpy(buffer, source->data, count);
    source->data += count;
    source->size -= count;
    return static_cast<ssize_t>(count);
}

}  // namespace

DumpResult RunDump(const uint8_t* data, size_t size, size_t piece, bool failAtEnd, const char* layout, bool big,
                   bool wholeLines) {
    strncpy(layoutText, layout, sizeof layoutText - 1);
    bigEndian = big ? 1 : 0;

    Source source{data, size, piece, failAtEnd};
    cookie_io_functions_t functions{ReadSource, nullptr, nullptr, nullptr};
    AttachInput(fopencookie(&source, "rb", functions));

    char* text = nullptr;
    size_t length = 0;
    FILE* sink = open_memstream(&text, &length);
    SetOutputStream(sink);
    if (wholeLines)
        DumpInput();
    else
        RunLineLoop();
    FlushOutput();
    DumpResult result{std::string(), InputFailed()};
    CloseInput();
    SetOutputStream(nullptr);
    fclose(sink);
    result.output.assign(text, length);
    free(text);
    return result;
}

std::string CompareDumps(const uint8_t* data, size_t size, size_t piece, bool failAtEnd, const char* layout,
                         bool big) {
    DumpResult fast = RunDump(data, size, piece, failAtEnd, layout, big, true);
    DumpResult plain = RunDump(data, size, piece, failAtEnd, layout, big, false);
    if (fast.readFailed != failAtEnd || plain.readFailed != failAtEnd) return "read failure not reported";
    if (fast.output == plain.output) return std::string();
    size_t at = 0;
    while (at < fast.output.size() && at < plain.output.size() && fast.output[at] == plain.output[at]) ++at;
    char where[200];
    snprintf(where, sizeof where, "layout %s, %s, %zu bytes: outputs of %zu and %zu bytes differ at byte %zu",
             layout, big ? "-B" : "-L", size, fast.output.size(), plain.output.size(), at);
    return where;
}
