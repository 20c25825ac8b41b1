// The sandbox the process enters once its input is open. On Linux it is
// Landlock, at the highest ABI the kernel offers; a kernel without it (before
// 5.13), a container whose seccomp refuses its calls, or an emulator that
// lacks them leaves the process as it was. Elsewhere there is none.

#include "common/platform.h"

#ifdef __linux__

#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace {

// Landlock's stable ABI, carried here because older kernel headers lack it
// (Debian 11's have none of it, Debian 12's stop at ABI 2). Its system calls
// have the same numbers on every processor.
constexpr long createRuleset = 444;
constexpr long restrictSelf = 446;
constexpr unsigned askVersion = 1;  // LANDLOCK_CREATE_RULESET_VERSION

struct RulesetAttributes {
    uint64_t handledFileSystem;
    uint64_t handledNetwork;  // from ABI 4
    uint64_t scoped;          // from ABI 6
};

// The file-system rights each ABI brought: running, writing, reading and
// listing files, and removing and making every kind of file (1); linking or
// renaming a file into another folder (2); truncating (3); device ioctls (5).
// A ruleset that handles a right and grants it nowhere refuses it.
constexpr uint64_t fileSystemRights[] = {0, (uint64_t{1} << 13) - 1, uint64_t{1} << 13, uint64_t{1} << 14, 0,
                                         uint64_t{1} << 15};
constexpr uint64_t bindAndConnectTcp = 3;          // ABI 4
constexpr uint64_t abstractSocketsAndSignals = 3;  // ABI 6

}  // namespace

// LeakSanitizer's check, in a build with the sanitizers: it reads /proc,
// which the sandbox closes, so it runs before, once and for all.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

void SystemConfine() {
    SystemTextsInUtf8();
    if (__lsan_do_leak_check != nullptr) __lsan_do_leak_check();
    long abi = syscall(createRuleset, nullptr, 0, askVersion);
    if (abi < 1) return;
    RulesetAttributes attributes{0, 0, 0};
    for (long level = 1; level <= abi && level <= 5; ++level) attributes.handledFileSystem |= fileSystemRights[level];
    size_t size = sizeof attributes.handledFileSystem;
    if (abi >= 4) {
        attributes.handledNetwork = bindAndConnectTcp;
        size += sizeof attributes.handledNetwork;
    }
    if (abi >= 6) {
        attributes.scoped = abstractSocketsAndSignals;
        size += sizeof attributes.scoped;
    }
    // Landlock binds only a process that can gain no privilege by exec.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return;
    int ruleset = static_cast<int>(syscall(createRuleset, &attributes, size, 0));
    if (ruleset < 0) return;
    syscall(restrictSelf, ruleset, 0);
    close(ruleset);
}

#else

void SystemConfine() {}

#endif
