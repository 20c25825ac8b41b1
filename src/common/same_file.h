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

// Whether `a` and `b` are the same file. An ID of all zeros names no file,
// whatever matches it. Matching IDs where a volume serial number is 0 (a
// drive that answers 0 may reuse IDs) are one file only when the files'
// final paths, `pathA` and `pathB`, match too, or when either is unknown
// (null): the output is not risked on a doubt.
inline bool SameFile(const FileIdentity& a, const FileIdentity& b, const wchar_t* pathA, const wchar_t* pathB) {
    static const unsigned char none[sizeof a.id] = {};
    if (memcmp(a.id, none, sizeof a.id) == 0 || memcmp(a.id, b.id, sizeof a.id) != 0) return false;
    if (a.volume != 0 && b.volume != 0) return a.volume == b.volume;
    return pathA == nullptr || pathB == nullptr || wcscmp(pathA, pathB) == 0;
}
