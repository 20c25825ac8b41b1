// Two decisions of the Windows layer, each over a table: whether standard
// output is the input, from two files' volume serial numbers, IDs and final
// paths; and how a name is written in each ANSI code page.

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
    const wchar_t* here = L"\\Device\\HarddiskVolume3\\a.bin";
    const wchar_t* there = L"\\Device\\HarddiskVolume3\\b.txt";
    struct {
        const char* label;
        FileIdentity a, b;
        const wchar_t *pathA, *pathB;
        bool expected;
    } const identities[] = {
        {"one file", file, file, here, there, true},
        {"another ID on the volume", file, other, here, here, false},
        {"the ID on another volume", file, elsewhere, here, here, false},
        {"no serial number on one side, one NT path", file, zeroSerial, here, here, true},
        {"no serial number on the other, two NT paths", zeroSerial, file, here, there, false},
        {"no serial number on either, no path known", zeroSerial, zeroSerial, nullptr, nullptr, true},
        {"no serial number, one path unknown", zeroSerial, zeroSerial, here, nullptr, true},
        {"no serial number, another ID", zeroSerial, FileIdentity{0, {8}}, here, here, false},
        {"IDs of zeros on one volume", noId, noId, here, here, false},
        {"IDs and serial numbers of zeros (WinFsp)", nothing, nothing, here, here, false},
    };
    for (const auto& row : identities) Check(row.label, SameFile(row.a, row.b, row.pathA, row.pathB), row.expected);

    const long noBestFit = static_cast<long>(noBestFitChars);
    struct {
        const char* label;
        unsigned codePage;
        long expected;
    } const codePages[] = {
        {"Japanese", 932, noBestFit},       {"Western", 1252, noBestFit},     {"UTF-8", 65001, -1},
        {"GB18030", 54936, 0},              {"ISO-2022-JP", 50220, 0},        {"ISO-2022 last", 50229, 0},
        {"ISCII first", 57002, 0},          {"ISCII last", 57011, 0},         {"UTF-7", 65000, 0},
        {"Symbol", 42, 0},                  {"past ISO-2022", 50230, noBestFit}, {"past ISCII", 57012, noBestFit},
    };
    for (const auto& row : codePages) Check(row.label, NameConversionFlags(row.codePage), row.expected);

    printf("%d of %d rows passed\n", rows - failures, rows);
    return failures == 0 ? 0 : 1;
}
