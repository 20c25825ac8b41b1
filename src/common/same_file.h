// Whether two open files are one, from the identity the system gives each:
// the serial number of its volume and its ID there. Windows' platform layer
// decides with it whether standard output is the input.
#pragma once

#include <cstdint>
#include <cstring>
#include <cwchar>

struct FileIdentity {
    uint64_t volume;       // 0 where the system does not say (Wine, some drives)
    unsigned char id[16];  // all zeros where the file system has no IDs
};

// 1 when `a` and `b` are the same file, 0 when they are not, -1 when their
// IDs match but a volume serial number of 0 leaves it open: a drive that
// answers 0 for its serial number may reuse IDs, so the caller asks the
// files' paths. An ID of all zeros names no file, whatever matches it.
inline int SameFileById(const FileIdentity& a, const FileIdentity& b) {
    static const unsigned char none[sizeof a.id] = {};
    if (memcmp(a.id, none, sizeof a.id) == 0 || memcmp(a.id, b.id, sizeof a.id) != 0) return 0;
    if (a.volume == 0 || b.volume == 0) return -1;
    return a.volume == b.volume ? 1 : 0;
}

// For matching IDs left open by a serial number of 0: whether the files'
// final paths, `a` and `b`, are one, or either is unknown (null), which
// leaves them the same: the output is not risked on a doubt.
inline bool SameFinalPath(const wchar_t* a, const wchar_t* b) {
    return a == nullptr || b == nullptr || wcscmp(a, b) == 0;
}
