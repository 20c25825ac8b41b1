// Preloaded into the tool under test (LD_PRELOAD), this makes poll(2) answer
// for terminals and other character devices as macOS's does: POLLNVAL at
// once, whatever was asked. select(2) stays as it is and serves them, as it
// does there.

// Fortified headers define poll inline; this file defines the real one.
#undef _FORTIFY_SOURCE

#include <dlfcn.h>
#include <poll.h>
#include <sys/stat.h>

#include <cstddef>

extern "C" {

int poll(pollfd* fds, nfds_t count, int timeout) {
    using Poll = int (*)(pollfd*, nfds_t, int);
    static Poll system = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, "poll"));
    int refused = 0;
    for (nfds_t i = 0; i < count; ++i) {
        struct stat status;
        fds[i].revents = fstat(fds[i].fd, &status) == 0 && S_ISCHR(status.st_mode) ? POLLNVAL : 0;
        refused += fds[i].revents != 0;
    }
    return refused > 0 ? refused : system(fds, count, timeout);
}

// The checked form that a fortified build may call instead.
int __poll_chk(pollfd* fds, nfds_t count, int timeout, size_t) { return poll(fds, count, timeout); }
}
