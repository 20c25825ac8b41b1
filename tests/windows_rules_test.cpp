// Decisions of the Windows layer, each over a table: whether standard output
// is the input, from two files' volume serial numbers and IDs and, where
// those leave it open, their final paths; and how a name is written in each
// ANSI code page.

#include <cstdio>

#include "common/code_page.h"
#include "common/same_file.h"

namespace {

int failures, rows;

void Check(const char* label, long got, long expected) {
    ++rows;
    if (got != expected) {
        printf("FAIL %s: %ld, not %ld\n", label, got, expected);
        ++failures;
    }
}

}  // namespace

int main() {
    const FileIdentity file{0x1234, {7}}, other{0x1234, {8}}, elsewhere{0x9999, {7}}, zeroSerial{0, {7}},
        noId{0x1234, {}}, nothing{0, {}};
    struct {
        const char* label;
        FileIdentity a, b;
        int expected;
    } const identities[] = {
        {"one file", file, file, 1},
        {"another ID on the volume", file, other, 0},
        {"the ID on another volume", file, elsewhere, 0},
        {"no serial number on one side", file, zeroSerial, -1},
        {"no serial number on the other", zeroSerial, file, -1},
        {"no serial number on either", zeroSerial, zeroSerial, -1},
        {"no serial number, another ID", zeroSerial, FileIdentity{0, {8}}, 0},
        {"IDs of zeros on one volume", noId, noId, 0},
        {"IDs and serial numbers of zeros (WinFsp)", nothing, nothing, 0},
    };
    for (const auto& row : identities) Check(row.label, SameFileById(row.a, row.b), row.expected);

    const wchar_t* here = L"\\Device\\HarddiskVolume3\\a.bin";
    struct {
        const char* label;
        const wchar_t *a, *b;
        bool expected;
    } const paths[] = {
        {"one NT path", here, L"\\Device\\HarddiskVolume3\\a.bin", true},
        {"two NT paths", here, L"\\Device\\HarddiskVolume3\\b.txt", false},
        {"one path unknown", here, nullptr, true},
        {"no path known", nullptr, nullptr, true},
    };
    for (const auto& row : paths) Check(row.label, SameFinalPath(row.a, row.b), row.expected);

    const long noBestFit = static_cast<long>(noBestFitChars);
    struct {
        const char* label;
        unsigned codePage;
        long expected;
    } const codePages[] = {
        {"Japanese", 932, noBestFit},   {"Western", 1252, noBestFit},           {"UTF-8", 65001, -1},
        {"GB18030", 54936, 0},          {"ISO-2022-JP", 50220, 0},              {"ISO-2022 last", 50229, 0},
        {"ISCII first", 57002, 0},      {"ISCII last", 57011, 0},               {"UTF-7", 65000, 0},
        {"Symbol", 42, 0},              {"past ISO-2022", 50230, noBestFit},    {"past ISCII", 57012, noBestFit},
    };
    for (const auto& row : codePages) Check(row.label, NameConversionFlags(row.codePage), row.expected);

    printf("%d of %d rows passed\n", rows - failures, rows);
    return failures == 0 ? 0 : 1;
}
