// The system calls under the input and output layers on Linux, macOS and
// other POSIX systems: read(2) and write(2) on the descriptors; poll(2), or
// select(2) for a descriptor poll refuses, to tell whether the input would
// make a read wait and to wait for a descriptor that will not; the locale
// that decides the texts' encoding on a terminal.

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "common/named_locale.h"
#include "common/platform.h"
#include "common/state.h"

namespace {

constexpr size_t pipeWritePiece = 8 * 1024;

bool inputCanPause;     // anything but a regular file with a size or a block device
bool inputIsTerminal;  // a terminal or serial line
size_t writePiece;   // the most one write hands over; 0 until the first write

// Whether `fd` is ready for `events` (POLLIN or POLLOUT) now, or, with
// `wait`, once it is: for a descriptor that was set non-blocking by whoever
// handed it over. An error on the descriptor counts as ready, so that the
// read or write reports it. A poll or select that fails itself (ENOMEM)
// counts as not ready: the output is then flushed before a read that may
// wait, and that read reports any real fault. macOS's poll refuses
// terminals and other devices (POLLNVAL); select serves them there. One
// past select's reach (FD_SETSIZE) is taken as not ready now, so that the
// output is flushed before its read, and is waited for by naps of a
// millisecond.
bool Ready(int fd, short events, bool wait) {
    pollfd polled{fd, events, 0};
    int found;
    while ((found = poll(&polled, 1, wait ? -1 : 0)) < 0 && errno == EINTR) {
    }
    if (found <= 0 || (polled.revents & POLLNVAL) == 0) return found > 0;
    if (fd >= FD_SETSIZE) return wait && poll(nullptr, 0, 1) >= 0;
    fd_set set;
    timeval now{0, 0};
    do {
        FD_ZERO(&set);
        FD_SET(fd, &set);
        found = select(fd + 1, events == POLLIN ? &set : nullptr, events == POLLOUT ? &set : nullptr, nullptr,
                       wait ? nullptr : &now);
    } while (found < 0 && errno == EINTR);
    return found > 0;
}

int textsInUtf8 = -1;  // decided at the first text

// Takes `stream` as the input, unless it did not open or is a directory,
// which opens for reading here but has no bytes to give.
bool Adopt(FILE* stream) {
    struct stat status;
    if (stream == nullptr) return false;
    if (fstat(fileno(stream), &status) != 0 || S_ISDIR(status.st_mode)) {
        fclose(stream);
        return false;
    }
    // A regular file of size 0 may be a kernel interface whose reads wait
    // for more (trace_pipe, /proc/kmsg): it is polled like a pipe.
    inputCanPause = !(S_ISREG(status.st_mode) && status.st_size > 0) && !S_ISBLK(status.st_mode);
    inputIsTerminal = isatty(fileno(stream));
    inputFile = stream;
    return true;
}

}  // namespace

// The arguments reach the entry as the system hands them over: bytes, as
// typed.
int main(int argc, char** argv) { Entry(argc, argv); }

// Read-only, and never as the controlling terminal: a terminal or serial
// line that a session leader without one names (a service, `setsid`) would
// otherwise become it, and its hang-up would end the tool by SIGHUP before
// the fields that arrived were written.
bool SystemOpenInput(const char* path) {
    int fd = open(path, O_RDONLY | O_NOCTTY);
    if (fd < 0) return false;
    FILE* stream = fdopen(fd, "rb");
    if (stream == nullptr) close(fd);
    return Adopt(stream);
}

bool SystemOpenStandardInput() {
#ifdef O_DIRECT
    // A descriptor handed over with O_DIRECT (Linux) reads only into blocks
    // aligned as its file system asks: it is read through the page cache
    // like any other.
    int flags = fcntl(STDIN_FILENO, F_GETFL);
    if (flags >= 0 && (flags & O_DIRECT) != 0) fcntl(STDIN_FILENO, F_SETFL, flags & ~O_DIRECT);
#endif
    return Adopt(fdopen(STDIN_FILENO, "rb"));
}

long SystemRead(unsigned char* buffer, size_t count) {
    int fd = fileno(inputFile);
    for (;;) {
        ssize_t got = read(fd, buffer, count);
        if (got >= 0) return static_cast<long>(got);
        // A terminal that hung up (its cable pulled, the other side of a
        // pseudo-terminal closed) has ended, as the system itself reads it
        // once the hang-up is through: EIO only comes before that.
        if (errno == EIO && inputIsTerminal) return 0;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            Ready(fd, POLLIN, true);
        else if (errno != EINTR)
            return -1;
    }
}

bool SystemOutputIsInput() {
    struct stat input, output;
    int fd = fileno(inputFile);
    if (fstat(fd, &input) != 0 || fstat(STDOUT_FILENO, &output) != 0) return false;
    return S_ISREG(input.st_mode) && S_ISREG(output.st_mode) && input.st_dev == output.st_dev &&
           input.st_ino == output.st_ino && lseek(fd, 0, SEEK_CUR) < input.st_size;
}

bool SystemInputWouldWait() {
    return inputCanPause && !Ready(fileno(inputFile), POLLIN, false);
}

bool SystemWrite(const char* bytes, size_t count) {
    // A pipe's reader starts sooner on small pieces: 8 KiB writes made
    // `Tolvarin ... | wc -c` 1.7 times as fast as whole-buffer writes.
    if (writePiece == 0) {
        struct stat status;
        bool pipe = fstat(STDOUT_FILENO, &status) == 0 && (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode));
        writePiece = pipe ? pipeWritePiece : SIZE_MAX;
    }
    while (count > 0) {
        ssize_t written = write(STDOUT_FILENO, bytes, count < writePiece ? count : writePiece);
        if (written >= 0) {
            bytes += written;
            count -= static_cast<size_t>(written);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            Ready(STDOUT_FILENO, POLLOUT, true);
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

// The texts go out in UTF-8 only to a terminal whose locale asks for it;
// LC_ALL, LC_CTYPE and LANG decide as usual, also when the locale they name
// is not installed. The locale is loaded only for a terminal.
bool SystemTextsInUtf8() {
    if (textsInUtf8 < 0) {
        textsInUtf8 = isatty(STDOUT_FILENO) && (setlocale(LC_CTYPE, "") != nullptr
                                                    ? strcmp(nl_langinfo(CODESET), "UTF-8") == 0
                                                    : NamedLocaleIsUtf8() == 1);
    }
    return textsInUtf8 == 1;
}

// A terminal takes bytes: nothing goes out as characters here.
bool SystemNeedsCharacters(bool) { return false; }

bool SystemWriteCharacters(const char*, bool) { return false; }
