// The system calls under the input and output layers on Windows. Input:
// CreateFileW sharing the file with its writers, through the \\?\ prefix
// where the name is too long for the plain form; ReadFile on the input
// handle, so that a pipe gives what has arrived;
// PeekNamedPipe and ClearCommError to tell whether the input would make a
// read wait; read timeouts that let a serial port give what has arrived; the
// wide-character command line to open any name and to check the other
// arguments as typed. Output: WriteFile on the handle, so that it takes
// whole buffers, bytes unchanged; WriteConsoleW for names on a console, and
// for the texts on a console that shows another code page than Shift_JIS.

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "common/platform.h"
#include "common/state.h"

extern "C" int __cdecl __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment, int expand,
                                      int* startInfo);

namespace {

// How long one read of a serial port waits for its first byte before it
// returns empty and is made again. Windows returns as soon as a byte is
// there; Wine only when this time is up, so it bounds the delay there.
constexpr DWORD portReadWait = 100;

HANDLE inputHandle;
DWORD inputType;
bool inputIsPort;  // a communications device: a serial port

// The command-line arguments as typed, in wide characters: the narrow ones
// hold the ANSI code page's copy, with '?' or a look-alike for every
// character outside it. Sets `*count` to 0 when they cannot be had.
wchar_t** WideArguments(int* count) {
    static int wideCount = 0;
    static wchar_t** arguments = nullptr;
    if (arguments == nullptr) {
        wchar_t** environment = nullptr;
        int startInfo = 0;
        if (__wgetmainargs(&wideCount, &arguments, &environment, 0, &startInfo) < 0 || arguments == nullptr)
            wideCount = 0;
    }
    *count = wideCount;
    return arguments;
}

// Takes `handle`, opened as `stream`, as the input, unless it is a folder;
// a serial port gets read timeouts that make a read return once a byte is
// there (it opens with every timeout 0: a read then waits for its whole
// count). Nothing else of the port (speed, parity, flow control) is touched.
bool Adopt(HANDLE handle, FILE* stream) {
    FILE_BASIC_INFO information;
    inputType = GetFileType(handle) & ~FILE_TYPE_REMOTE;
    if (inputType == FILE_TYPE_DISK &&
        GetFileInformationByHandleEx(handle, FileBasicInfo, &information, sizeof information) &&
        (information.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    inputHandle = handle;
    inputFile = stream;
    DCB port{};
    port.DCBlength = sizeof port;
    inputIsPort = inputType == FILE_TYPE_CHAR && GetCommState(inputHandle, &port);
    if (inputIsPort) {
        COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, portReadWait, 0, 0};
        SetCommTimeouts(inputHandle, &timeouts);
    }
    return true;
}

// The command-line argument that the narrow argument vector holds as `name`,
// in its wide-character form, as typed. Null when no argument renders as
// `name`.
const wchar_t* WideArgument(const char* name) {
    int count = 0;
    wchar_t** arguments = WideArguments(&count);
    static char rendered[pathCapacity];
    for (int i = 1; i < count; ++i) {
        int size = WideCharToMultiByte(CP_ACP, 0, arguments[i], -1, rendered, pathCapacity, nullptr, nullptr);
        if (size > 0 && strcmp(rendered, name) == 0) return arguments[i];
    }
    return nullptr;
}

HANDLE Output() { return GetStdHandle(STD_OUTPUT_HANDLE); }

// The longest name Windows opens, in characters, with its \\?\ prefix.
constexpr DWORD longestName = 32767;

// Whether `name` begins \\?\ or \\.\ (a device): the form Windows opens at
// any length, as it stands.
bool Verbatim(const wchar_t* name) {
    return wcsncmp(name, L"\\\\?\\", 4) == 0 || wcsncmp(name, L"\\\\.\\", 4) == 0;
}

// `name` as CreateFileW opens it: as given, unless its full path is
// MAX_PATH characters or longer, which Windows, set up as it comes, opens
// only in the \\?\ form of the full path (\\?\UNC\server\share\... for
// \\server\share\...).
const wchar_t* OpenableName(const wchar_t* name) {
    static wchar_t full[longestName + 1];
    static wchar_t prefixed[sizeof "\\\\?\\UNC" + longestName];
    if (Verbatim(name)) return name;
    DWORD length = GetFullPathNameW(name, longestName + 1, full, nullptr);
    if (length < MAX_PATH || length > longestName) return name;
    if (Verbatim(full)) return full;
    bool unc = wcsncmp(full, L"\\\\", 2) == 0;
    wcscpy(prefixed, unc ? L"\\\\?\\UNC" : L"\\\\?\\");
    return wcscat(prefixed, unc ? full + 1 : full);
}

// Whether the pipe behind the input handle still has its writer: a read of
// 0 bytes from it was a write of 0 bytes, not its end. A pipe that cannot be
// looked into (a FIFO under Wine) reads 0 bytes only at its end.
bool PipeIsOpen() { return PeekNamedPipe(inputHandle, nullptr, 0, nullptr, nullptr, nullptr) != 0; }

}  // namespace

const char* SystemArgument(char** argv, int index) {
    int count = 0;
    wchar_t** arguments = WideArguments(&count);
    if (index >= count) return argv[index];
    bool ascii = true;
    for (const wchar_t* c = arguments[index]; *c != L'\0'; ++c) ascii = ascii && *c < 0x80;
    if (ascii) return argv[index];
    // The longest command line is 32,767 characters, 3 bytes each at most.
    static char typed[3 * 32768];
    if (WideCharToMultiByte(CP_UTF8, 0, arguments[index], -1, typed, sizeof typed, nullptr, nullptr) <= 0)
        return "\x80";
    return typed;
}

// Shared for reading, writing and deleting, as a POSIX open shares a file:
// a file another program is still writing (a logger's capture) is read up
// to where it stands, that program goes on writing it, and may rename or
// delete it meanwhile. The runtime's own open would share reading alone.
bool SystemOpenInput(const char* path) {
    const wchar_t* name = WideArgument(path);
    static wchar_t converted[pathCapacity];
    if (name == nullptr) {
        if (MultiByteToWideChar(CP_ACP, 0, path, -1, converted, pathCapacity) <= 0) return false;
        name = converted;
    }
    constexpr DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE handle =
        CreateFileW(OpenableName(name), GENERIC_READ, shared, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return false;
    }
    FILE* stream = _fdopen(fd, "rb");
    if (stream == nullptr) {
        _close(fd);
        return false;
    }
    if (Adopt(handle, stream)) return true;
    fclose(stream);
    return false;
}

// Whatever stands behind the standard input handle: a pipe, a redirected
// file, a console or a port.
bool SystemOpenStandardInput() {
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && Adopt(handle, stdin);
}

long SystemRead(unsigned char* buffer, size_t count) {
    DWORD got = 0;
    while (ReadFile(inputHandle, buffer, static_cast<DWORD>(count), &got, nullptr)) {
        // A serial port gives nothing when its read timed out, and a pipe
        // when its writer wrote nothing: neither has ended.
        if (got > 0) return static_cast<long>(got);
        if (!inputIsPort && !(inputType == FILE_TYPE_PIPE && PipeIsOpen())) return 0;
    }
    DWORD error = GetLastError();
    // Part of a message longer than the read: the rest comes in the next.
    if (error == ERROR_MORE_DATA) return static_cast<long>(got);
    return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_HANDLE_EOF ? 0 : -1;
}

bool SystemOutputIsInput() {
    HANDLE output = Output();
    if (inputType != FILE_TYPE_DISK || (GetFileType(output) & ~FILE_TYPE_REMOTE) != FILE_TYPE_DISK) return false;
    // A file's identity: FileIdInfo from Windows 8 on, the older file index
    // before. Wine answers only FileIdInfo for a standard handle, and with
    // the volume serial number 0.
    FILE_ID_INFO inputId{}, outputId{};
    BY_HANDLE_FILE_INFORMATION input{}, written{};
    bool same;
    if (GetFileInformationByHandleEx(inputHandle, FileIdInfo, &inputId, sizeof inputId) &&
        GetFileInformationByHandleEx(output, FileIdInfo, &outputId, sizeof outputId))
        same = (inputId.VolumeSerialNumber == outputId.VolumeSerialNumber || inputId.VolumeSerialNumber == 0 ||
                outputId.VolumeSerialNumber == 0) &&
               memcmp(&inputId.FileId, &outputId.FileId, sizeof inputId.FileId) == 0;
    else
        same = GetFileInformationByHandle(inputHandle, &input) && GetFileInformationByHandle(output, &written) &&
               input.dwVolumeSerialNumber == written.dwVolumeSerialNumber &&
               input.nFileIndexHigh == written.nFileIndexHigh && input.nFileIndexLow == written.nFileIndexLow;
    LARGE_INTEGER position{}, size{}, here{};
    return same && (!SetFilePointerEx(inputHandle, here, &position, FILE_CURRENT) ||
                    !GetFileSizeEx(inputHandle, &size) || position.QuadPart < size.QuadPart);
}

bool SystemInputWouldWait() {
    if (inputType == FILE_TYPE_DISK) return false;
    if (inputIsPort) {
        DWORD errors = 0;
        COMSTAT status{};
        return !ClearCommError(inputHandle, &errors, &status) || status.cbInQue == 0;
    }
    // A console or another device cannot tell: take it as waiting.
    if (inputType != FILE_TYPE_PIPE) return true;
    DWORD available = 0;
    if (PeekNamedPipe(inputHandle, nullptr, 0, nullptr, &available, nullptr)) return available == 0;
    // A pipe whose writer has gone ends at the next read; one that cannot be
    // looked into (a FIFO under Wine) is taken as waiting.
    return GetLastError() != ERROR_BROKEN_PIPE;
}

// Standard output.

namespace {

constexpr UINT shiftJisCodePage = 932;
constexpr DWORD consoleWritePiece = 16 * 1024;  // older consoles refuse large writes
constexpr DWORD pipeWritePiece = 8 * 1024;      // a pipe's reader starts sooner on small pieces

DWORD writePiece;  // the most one write hands over; 0 until the first write

int outputIsConsole = -1;  // decided at the first write

bool OutputIsConsole() {
    DWORD mode = 0;
    if (outputIsConsole < 0) outputIsConsole = GetConsoleMode(Output(), &mode) != 0;
    return outputIsConsole == 1;
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
        if (!WriteConsoleChars(piece, static_cast<size_t>(end - piece)) || !WriteConsoleChars(L"\r\n", 2))
            return false;
        piece = end + 1;
    }
    return WriteConsoleChars(piece, wcslen(piece));
}

}  // namespace

bool SystemWrite(const char* bytes, size_t count) {
    HANDLE output = Output();
    if (writePiece == 0)
        writePiece = OutputIsConsole()                         ? consoleWritePiece
                     : GetFileType(output) == FILE_TYPE_PIPE ? pipeWritePiece
                                                               : MAXDWORD;
    while (count > 0) {
        DWORD piece = count < writePiece ? static_cast<DWORD>(count) : writePiece;
        DWORD written = 0;
        if (!WriteFile(output, bytes, piece, &written, nullptr)) return false;
        bytes += written;
        count -= written;
    }
    return true;
}

// The console shows characters, whatever its code page; every other output
// takes Shift_JIS bytes.
bool SystemTextsInUtf8() { return false; }

// A console takes a name as characters always, and a text too unless its
// code page is Shift_JIS; every other output takes bytes.
bool SystemNeedsCharacters(bool name) {
    return OutputIsConsole() && (name || GetConsoleOutputCP() != shiftJisCodePage);
}

// A name goes out as typed, at every code page: the wide argument it came
// from, or its own bytes in the ANSI code page when no argument matches.
bool SystemWriteCharacters(const char* text, bool name) {
    if (!name) return WriteToConsole(text, shiftJisCodePage);
    const wchar_t* wide = WideArgument(text);
    return wide != nullptr ? WriteConsoleChars(wide, wcslen(wide)) : WriteToConsole(text, CP_ACP);
}
