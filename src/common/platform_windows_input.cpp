// The input side of the Windows layer: the arguments from the wide-character
// command line alone, converted to UTF-8 for the entry; the input opened
// with CreateFileW by the name as typed, shared with its writers, through
// the \\?\ prefix where the name is too long for the plain form, and, in the
// 32-bit program, past WOW64's redirection of System32; ReadFile on the
// input handle, so that a pipe gives what has arrived, in pieces a console
// can serve; PeekNamedPipe and ClearCommError to tell whether the input
// would make a read wait, and naps while a non-blocking pipe is empty; read
// timeouts that let a serial port give what has arrived.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "common/platform.h"
#include "common/state.h"

namespace {

// How long one read of a serial port waits for its first byte before it
// returns empty and is made again. Windows returns as soon as a byte is
// there; Wine only when this time is up, so it bounds the delay there.
constexpr DWORD portReadWait = 100;
// The most one read of a console asks for: Windows 7's console fails a read
// of 64 KiB, and a console's input is typed by hand.
constexpr DWORD consoleReadPiece = 8 * 1024;
// The longest command line and the longest name Windows opens, in
// characters, with its \\?\ prefix.
constexpr DWORD longestName = 32767;

HANDLE inputHandle;
DWORD inputType;
bool inputIsPort;     // a communications device whose read timeouts are set
bool inputIsConsole;  // a console's input

// The arguments as typed, wide and as the entry got them in UTF-8.
int argumentCount;
wchar_t** wideArguments;
char** utf8Arguments;

// The wide argument whose UTF-8 form the entry handed on as `name`; null
// when none is.
const wchar_t* WideArgument(const char* name) {
    for (int i = 1; i < argumentCount; ++i)
        if (strcmp(utf8Arguments[i], name) == 0) return wideArguments[i];
    return nullptr;
}

// Takes `handle`, opened as `stream`, as the input, unless it is a folder;
// a serial port gets read timeouts that make a read return once a byte is
// there (it opens with every timeout 0: a read then waits for its whole
// count). Nothing else of the port (speed, parity, flow control) is touched.
// A port whose timeouts cannot be set is read as any other device.
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
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, portReadWait, 0, 0};
    DWORD mode = 0;
    inputIsPort = inputType == FILE_TYPE_CHAR && GetCommState(handle, &port) && SetCommTimeouts(handle, &timeouts);
    inputIsConsole = inputType == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
    return true;
}

bool StartsWith(const wchar_t* name, const wchar_t* prefix) { return wcsncmp(name, prefix, wcslen(prefix)) == 0; }

// `name` as CreateFileW opens it: as given, unless it is MAX_PATH characters
// or longer as a full path, which Windows, set up as it comes, opens only in
// the \\?\ form (\\?\UNC\server\share\... for \\server\share\..., and
// \\?\ and the rest for a \\.\ name, which Windows limits to MAX_PATH).
// A name that begins \\?\ or \??\ is passed as it stands.
const wchar_t* OpenableName(const wchar_t* name) {
    static wchar_t full[longestName + 1];
    static wchar_t prefixed[sizeof "\\\\?\\UNC" + longestName];
    if (StartsWith(name, L"\\\\?\\") || StartsWith(name, L"\\??\\")) return name;
    if (!StartsWith(name, L"\\\\.\\")) {
        DWORD length = GetFullPathNameW(name, longestName + 1, full, nullptr);
        if (length < MAX_PATH || length > longestName) return name;
        name = full;
        if (StartsWith(name, L"\\\\?\\")) return name;
    } else if (wcslen(name) < MAX_PATH) {
        return name;
    }
    const wchar_t* rest = name;
    const wchar_t* prefix = L"\\\\?\\";
    if (StartsWith(name, L"\\\\.\\")) {
        rest = name + 4;
    } else if (StartsWith(name, L"\\\\")) {
        rest = name + 1;
        prefix = L"\\\\?\\UNC";
    }
    if (wcslen(prefix) + wcslen(rest) > longestName) return name;
    wcscpy(prefixed, prefix);
    return wcscat(prefixed, rest);
}

// The input file, opened by CreateFileW. The 32-bit program on 64-bit
// Windows opens C:\Windows\System32\... itself, not the 32-bit copy that
// WOW64 would redirect it to; on 32-bit Windows the call fails and changes
// nothing.
HANDLE OpenShared(const wchar_t* name) {
    constexpr DWORD shared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
#ifndef _WIN64
    PVOID redirection = nullptr;
    BOOL unredirected = Wow64DisableWow64FsRedirection(&redirection);
#endif
    HANDLE handle =
        CreateFileW(OpenableName(name), GENERIC_READ, shared, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#ifndef _WIN64
    if (unredirected) Wow64RevertWow64FsRedirection(redirection);
#endif
    return handle;
}

// Whether the pipe behind the input handle still has its writer: a read of
// 0 bytes from it was a write of 0 bytes, not its end. A pipe that cannot be
// looked into (a FIFO under Wine) reads 0 bytes only at its end.
bool PipeIsOpen() { return PeekNamedPipe(inputHandle, nullptr, 0, nullptr, nullptr, nullptr) != 0; }

// Waits, by naps of a millisecond, until the input pipe, set non-blocking
// by whoever handed it over, holds bytes; false, with the error set, when it
// has ended or cannot be looked into. Windows has no call that waits for a
// pipe in that mode.
bool WaitForPipe() {
    DWORD available = 0;
    while (PeekNamedPipe(inputHandle, nullptr, 0, nullptr, &available, nullptr)) {
        if (available > 0) return true;
        Sleep(1);
    }
    return false;
}

}  // namespace

// The wide arguments alone, converted to UTF-8 in fixed room: the longest
// command line fills at most 3 bytes a character and a terminating zero
// each. Arguments past the room (only a wildcard's expansion could reach
// it) are left out; the entry looks at the first three alone.
int wmain(int argc, wchar_t** argv) {
    static char text[4 * (longestName + 1)];
    static char* arguments[longestName + 1];
    size_t used = 0;
    int count = 0;
    for (; count < argc && count < static_cast<int>(longestName); ++count) {
        int size = WideCharToMultiByte(CP_UTF8, 0, argv[count], -1, text + used, static_cast<int>(sizeof text - used),
                                       nullptr, nullptr);
        if (size <= 0) break;
        arguments[count] = text + used;
        used += static_cast<size_t>(size);
    }
    arguments[count] = nullptr;
    argumentCount = count;
    wideArguments = argv;
    utf8Arguments = arguments;
    Entry(count, arguments);
}

// Shared for reading, writing and deleting, as a POSIX open shares a file:
// a file another program is still writing (a logger's capture) is read up
// to where it stands, that program goes on writing it, and may rename or
// delete it meanwhile. The runtime's own open would share reading alone.
bool SystemOpenInput(const char* path) {
    const wchar_t* name = WideArgument(path);
    static wchar_t converted[pathCapacity];
    if (name == nullptr) {
        if (MultiByteToWideChar(CP_UTF8, 0, path, -1, converted, pathCapacity) <= 0) return false;
        name = converted;
    }
    HANDLE handle = OpenShared(name);
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
    DWORD asked = static_cast<DWORD>(inputIsConsole && count > consoleReadPiece ? consoleReadPiece : count);
    DWORD got = 0;
    for (;;) {
        if (ReadFile(inputHandle, buffer, asked, &got, nullptr)) {
            // A serial port gives nothing when its read timed out, and a
            // pipe when its writer wrote nothing: neither has ended.
            if (got > 0) return static_cast<long>(got);
            if (!inputIsPort && !(inputType == FILE_TYPE_PIPE && PipeIsOpen())) return 0;
            continue;
        }
        // Part of a message longer than the read: the rest comes in the next.
        if (GetLastError() == ERROR_MORE_DATA) return static_cast<long>(got);
        // A non-blocking pipe that is empty, for now.
        if (GetLastError() != ERROR_NO_DATA || !WaitForPipe()) break;
    }
    DWORD error = GetLastError();
    return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_HANDLE_EOF ? 0 : -1;
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
