// The standard-output side of the Windows layer: WriteFile on the handle, so
// that it takes whole buffers, bytes unchanged, napping while a non-blocking
// pipe takes nothing; WriteConsoleW for names on a console, and for the
// texts on a console that shows another code page than Shift_JIS; the pipe
// that a Cygwin or MSYS2 terminal (Git Bash's mintty) hands a Windows
// program without a pseudo console, known by its name, which takes the texts
// in UTF-8 when the locale its variables name is UTF-8; names, held in
// UTF-8, in the ANSI code page's bytes everywhere else; whether standard
// output is the input file, by its ID and, where that leaves it open, its
// final path.

#include <io.h>
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "common/code_page.h"
#include "common/named_locale.h"
#include "common/platform.h"
#include "common/same_file.h"
#include "common/state.h"

namespace {

constexpr UINT shiftJisCodePage = 932;
constexpr DWORD consoleWritePiece = 16 * 1024;  // older consoles refuse large writes
constexpr DWORD pipeWritePiece = 8 * 1024;      // a pipe's reader starts sooner on small pieces
constexpr DWORD longestPath = 32767;            // in characters, with its \\?\ prefix

enum OutputKind { undecided, plainOutput, consoleOutput, terminalPipe };

OutputKind outputKind = undecided;
bool terminalInUtf8;  // a terminal pipe whose locale is UTF-8
DWORD writePiece;     // the most one write hands over

HANDLE Output() { return GetStdHandle(STD_OUTPUT_HANDLE); }

// Whether `name`, `length` characters without a terminating zero, is the
// pipe of a Cygwin or MSYS2 terminal: \msys- or \cygwin-, 16 hexadecimal
// digits, -pty, its number, then -to-master, and -nat from Cygwin 3.2 on.
bool TerminalPipeName(const wchar_t* name, size_t length) {
    const wchar_t* end = name + length;
    auto take = [&](const wchar_t* word) {
        size_t size = wcslen(word);
        if (static_cast<size_t>(end - name) < size || wcsncmp(name, word, size) != 0) return false;
        name += size;
        return true;
    };
    // How many characters of `allowed` come next, taken.
    auto count = [&](const wchar_t* allowed) {
        const wchar_t* start = name;
        while (name < end && *name != L'\0' && wcschr(allowed, *name) != nullptr) ++name;
        return name - start;
    };
    if (!take(L"\\msys-") && !take(L"\\cygwin-")) return false;
    if (count(L"0123456789abcdefABCDEF") != 16 || !take(L"-pty") || count(L"0123456789") == 0 || !take(L"-to-master"))
        return false;
    return name == end || (take(L"-nat") && name == end);
}

// Looks once at what standard output is, and how much one write may hand
// it. A terminal pipe follows the Linux terminal's rule, read from the
// environment (Windows has no locale files): UTF-8 when the locale named is
// UTF-8 or none is named.
OutputKind Kind() {
    if (outputKind != undecided) return outputKind;
    HANDLE output = Output();
    DWORD mode = 0;
    alignas(FILE_NAME_INFO) char room[sizeof(FILE_NAME_INFO) + MAX_PATH * sizeof(WCHAR)];
    auto* name = reinterpret_cast<FILE_NAME_INFO*>(room);
    outputKind = plainOutput;
    writePiece = MAXDWORD;
    if (GetConsoleMode(output, &mode)) {
        outputKind = consoleOutput;
        writePiece = consoleWritePiece;
    } else if (GetFileType(output) == FILE_TYPE_PIPE) {
        writePiece = pipeWritePiece;
        if (GetFileInformationByHandleEx(output, FileNameInfo, room, sizeof room) &&
            TerminalPipeName(name->FileName, name->FileNameLength / sizeof(WCHAR))) {
            outputKind = terminalPipe;
            terminalInUtf8 = NamedLocaleIsUtf8() != 0;
        }
    }
    return outputKind;
}

bool WriteConsoleChars(const wchar_t* text, size_t count) {
    DWORD written = 0;
    return count == 0 || WriteConsoleW(Output(), text, static_cast<DWORD>(count), &written, nullptr);
}

// Writes `text`, in code page `codePage`, to the console as characters, each
// line feed as CR LF.
bool WriteToConsole(const char* text, UINT codePage) {
    static wchar_t wide[pathCapacity];
    if (MultiByteToWideChar(codePage, 0, text, -1, wide, pathCapacity) <= 0) return false;
    const wchar_t* piece = wide;
    while (const wchar_t* end = wcschr(piece, L'\n')) {
        if (!WriteConsoleChars(piece, static_cast<size_t>(end - piece)) || !WriteConsoleChars(L"\r\n", 2)) return false;
        piece = end + 1;
    }
    return WriteConsoleChars(piece, wcslen(piece));
}

// Writes the UTF-8 `name` in the bytes of the ANSI code page, '?' for a
// character outside it, never a look-alike where the code page allows.
bool WriteInAnsiCodePage(const char* name) {
    static wchar_t wide[pathCapacity];
    static char bytes[2 * pathCapacity];
    long flags = NameConversionFlags(GetACP());
    if (flags < 0) return SystemWrite(name, strlen(name));
    if (MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, pathCapacity) <= 0) return false;
    int size = WideCharToMultiByte(CP_ACP, static_cast<DWORD>(flags), wide, -1, bytes, sizeof bytes, nullptr, nullptr);
    return size > 0 && SystemWrite(bytes, static_cast<size_t>(size - 1));
}

// The identities of two open files, by the same call for both: FileIdInfo
// from Windows 8 on, the older file index before. Wine answers only
// FileIdInfo for a standard handle, and with the volume serial number 0.
bool Identify(HANDLE first, HANDLE second, FileIdentity* a, FileIdentity* b) {
    FILE_ID_INFO ids[2];
    if (GetFileInformationByHandleEx(first, FileIdInfo, &ids[0], sizeof ids[0]) &&
        GetFileInformationByHandleEx(second, FileIdInfo, &ids[1], sizeof ids[1])) {
        a->volume = ids[0].VolumeSerialNumber;
        b->volume = ids[1].VolumeSerialNumber;
        memcpy(a->id, &ids[0].FileId, sizeof a->id);
        memcpy(b->id, &ids[1].FileId, sizeof b->id);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION files[2];
    if (!GetFileInformationByHandle(first, &files[0]) || !GetFileInformationByHandle(second, &files[1])) return false;
    FileIdentity* identities[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        DWORD index[2] = {files[i].nFileIndexLow, files[i].nFileIndexHigh};
        *identities[i] = FileIdentity{files[i].dwVolumeSerialNumber, {}};
        memcpy(identities[i]->id, index, sizeof index);
    }
    return true;
}

// The final path of `handle` in `path`, as the system names it
// (\Device\HarddiskVolume3\a.bin): every volume has such a path, with or
// without a drive letter. Null when the handle gives none (Wine's standard
// handles).
const wchar_t* FinalPath(HANDLE handle, wchar_t* path) {
    DWORD length = GetFinalPathNameByHandleW(handle, path, longestPath + 1, FILE_NAME_NORMALIZED | VOLUME_NAME_NT);
    return length == 0 || length > longestPath ? nullptr : path;
}

}  // namespace

bool SystemOutputIsInput() {
    HANDLE output = Output();
    HANDLE inputHandle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(inputFile)));
    FileIdentity input, written;
    if ((GetFileType(inputHandle) & ~FILE_TYPE_REMOTE) != FILE_TYPE_DISK ||
        (GetFileType(output) & ~FILE_TYPE_REMOTE) != FILE_TYPE_DISK || !Identify(inputHandle, output, &input, &written))
        return false;
    int same = SameFileById(input, written);
    if (same < 0) {
        static wchar_t paths[2][longestPath + 1];
        same = SameFinalPath(FinalPath(inputHandle, paths[0]), FinalPath(output, paths[1]));
    }
    LARGE_INTEGER position{}, size{}, here{};
    return same == 1 && (!SetFilePointerEx(inputHandle, here, &position, FILE_CURRENT) ||
                         !GetFileSizeEx(inputHandle, &size) || position.QuadPart < size.QuadPart);
}

bool SystemWrite(const char* bytes, size_t count) {
    HANDLE output = Output();
    Kind();
    while (count > 0) {
        DWORD piece = count < writePiece ? static_cast<DWORD>(count) : writePiece;
        DWORD written = 0;
        if (!WriteFile(output, bytes, piece, &written, nullptr)) return false;
        // A non-blocking pipe that is full takes nothing, for now. A count
        // past the piece is the system's mistake (Windows 10 1709's console
        // doubles it after a write held up by a selection): the piece went.
        if (written == 0) Sleep(1);
        if (written > piece) written = piece;
        bytes += written;
        count -= written;
    }
    return true;
}

// The console shows characters, whatever its code page; a terminal pipe
// takes UTF-8 when its locale asks for it; every other output takes
// Shift_JIS bytes.
bool SystemTextsInUtf8() { return Kind() == terminalPipe && terminalInUtf8; }

bool SystemNeedsCharacters(bool name) {
    switch (Kind()) {
        case consoleOutput:
            return name || GetConsoleOutputCP() != shiftJisCodePage;
        case terminalPipe:
            return name && !terminalInUtf8;
        default:
            return name;
    }
}

// A name goes out as typed: as characters on a console, at every code page,
// and elsewhere in the ANSI code page's bytes.
bool SystemWriteCharacters(const char* text, bool name) {
    if (Kind() != consoleOutput) return WriteInAnsiCodePage(text);
    return WriteToConsole(text, name ? CP_UTF8 : shiftJisCodePage);
}
