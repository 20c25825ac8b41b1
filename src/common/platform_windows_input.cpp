// The input side of the Windows layer: the arguments from the wide-character
// command line alone, converted to UTF-8 for the entry; the input opened
// with CreateFileW by the name as typed, shared with its writers, through
// the \\?\ prefix where the name is too long for the plain form, and, in the
// 32-bit program, past WOW64's redirection of System32; ReadFile on the
// input handle, so that a pipe gives what has arrived, in pieces a console
// can serve (a serial port or raw disk as platform_windows_devices.cpp
// reads it); PeekNamedPipe and ClearCommError to tell whether the input
// would make a read wait, and naps while a non-blocking pipe is empty;
// Ctrl+C at a console read ends the process as Ctrl+C ends a console
// program.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "common/platform.h"
#include "common/platform_windows.h"
#include "common/state.h"

namespace {

// The most one read of a console asks for: Windows 7's console fails a read
// of 64 KiB, and a console's input is typed by hand.
constexpr DWORD consoleReadPiece = 8 * 1024;
// How long an aborted console read waits for its Ctrl+C to be noted, which
// the system does from another thread.
constexpr DWORD interruptWait = 100;
// The longest command line and the longest name Windows opens, in
// characters, with its \\?\ prefix.
constexpr DWORD longestName = 32767;

HANDLE inputHandle;
DWORD inputType;
bool inputIsPort;     // a communications device whose read timeouts are set
bool inputIsConsole;  // a console's input
bool inputIsRaw;      // a disk or volume opened by its device name
const wchar_t* firstArgument;  // the input's name, as typed
HANDLE interrupted;            // set by Ctrl+C or Ctrl+Break at the console

// Notes Ctrl+C, then lets the system's handler end the process.
BOOL WINAPI NoteInterrupt(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) SetEvent(interrupted);
    return FALSE;
}

// Takes `handle`, opened as `stream`, as the input, unless it is a folder.
bool Adopt(HANDLE handle, FILE* stream) {
    FILE_BASIC_INFO information;
    DWORD mode = 0;
    inputType = GetFileType(handle) & ~FILE_TYPE_REMOTE;
    if (inputType == FILE_TYPE_DISK &&
        GetFileInformationByHandleEx(handle, FileBasicInfo, &information, sizeof information) &&
        (information.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    inputHandle = handle;
    inputFile = stream;
    inputIsPort = inputType == FILE_TYPE_CHAR && AdoptPort(handle);
    inputIsConsole = inputType == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
    if (inputIsConsole && (interrupted = CreateEventW(nullptr, TRUE, FALSE, nullptr)) != nullptr)
        SetConsoleCtrlHandler(NoteInterrupt, TRUE);
    inputIsRaw = inputType == FILE_TYPE_DISK && AdoptRaw(handle);
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
    // A named pipe's server may act as the client it serves only as far as
    // this allows: it may learn who connects, never act as them.
    constexpr DWORD attributes = FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;
#ifndef _WIN64
    PVOID redirection = nullptr;
    BOOL unredirected = Wow64DisableWow64FsRedirection(&redirection);
#endif
    HANDLE handle =
        CreateFileW(OpenableName(name), GENERIC_READ, shared, nullptr, OPEN_EXISTING, attributes, nullptr);
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
    if (count > 1) firstArgument = argv[1];
    Entry(count, arguments);
}

// Shared for reading, writing and deleting, as a POSIX open shares a file:
// a file another program is still writing (a logger's capture) is read up
// to where it stands, that program goes on writing it, and may rename or
// delete it meanwhile. The runtime's own open would share reading alone.
// The entry opens only the first argument, in UTF-8, and no longer than
// inputPath holds: its wide form is opened, as typed.
bool SystemOpenInput(const char*) {
    HANDLE handle = OpenShared(firstArgument);
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
    if (inputIsRaw) return ReadSectors(inputHandle, buffer, count);
    DWORD asked = static_cast<DWORD>(inputIsConsole && count > consoleReadPiece ? consoleReadPiece : count);
    DWORD got = 0, error = 0;
    for (;;) {
        if (inputIsConsole) SetLastError(ERROR_SUCCESS);
        if (ReadFile(inputHandle, buffer, asked, &got, nullptr)) {
            // A serial port gives nothing when its read timed out, and a
            // pipe when its writer wrote nothing: neither has ended.
            if (got > 0) return static_cast<long>(got);
            // Ctrl+C at a console read gives nothing too, as the read
            // aborted, and the system ends the process a moment later from
            // another thread: end it so now, with nothing more written.
            // Ctrl+Z at a line's start, which may read as aborted too, with
            // no Ctrl+C noted, is the end.
            if (inputIsConsole && GetLastError() == ERROR_OPERATION_ABORTED &&
                WaitForSingleObject(interrupted, interruptWait) == WAIT_OBJECT_0)
                ExitProcess(STATUS_CONTROL_C_EXIT);
            if (!inputIsPort && !(inputType == FILE_TYPE_PIPE && PipeIsOpen())) return 0;
            continue;
        }
        error = GetLastError();
        // Part of a message longer than the read: the rest comes in the next.
        if (error == ERROR_MORE_DATA) return static_cast<long>(got);
        // A port left aborting its reads at a line error reads on once the
        // error is cleared, as a Linux line delivers such bytes.
        if (inputIsPort && ClearPortError(inputHandle)) continue;
        // A non-blocking pipe that is empty, for now.
        if (error != ERROR_NO_DATA) break;
        if (!WaitForPipe()) {
            error = GetLastError();
            break;
        }
    }
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
