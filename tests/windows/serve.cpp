// Hands a file to Tolvarin the ways Windows programs hand one over, or takes
// its output as a terminal does, runs Tolvarin with its standard handles, and
// exits with its status.
// Usage: serve MODE TOLVARIN FILE ORDER LAYOUT, MODE one of
//   pipe     a named pipe, which Tolvarin opens by its name; the server then
//            ends it the documented way: FlushFileBuffers,
//            DisconnectNamedPipe, CloseHandle
//   message  a message-mode pipe read in message mode as Tolvarin's
//            standard input, the file as one message longer than any read
//   empty    the same, the file in messages of 64 KiB, each after a
//            message of 0 bytes
//   nowait   a pipe in non-blocking mode (PIPE_NOWAIT) as the standard
//            input: the first half of the file, then, once Tolvarin has
//            written something, the pipe empty for a while, then the rest
//   hold     FILE itself, held open for writing as a logger holds its
//            capture while Tolvarin dumps it, then appended to ("more")
//            through that handle; status 3 if the append fails
// or: serve terminal NAME LANG LC_ALL LC_CTYPE TOLVARIN [ARGUMENT...]: runs
// Tolvarin with the arguments, its standard output the named pipe NAME, the
// three locale variables set for it (unset where empty), and copies what
// comes through the pipe to its own standard output.

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

char buffer[1 << 20];

// Starts Tolvarin (`arguments[0]`) with the rest of `arguments`, each in
// quotes, with the standard input `input` and output `output` (or the
// caller's), and returns its process.
HANDLE Start(wchar_t** arguments, int count, HANDLE input, HANDLE output) {
    static wchar_t command[32768];
    size_t used = 0;
    for (int i = 0; i < count; ++i)
        used += swprintf(command + used, 32768 - used, L"%ls\"%ls\"", i > 0 ? L" " : L"", arguments[i]);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (input != nullptr || output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input != nullptr ? input : GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output != nullptr ? output : GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Tolvarin on `name`, with the order and layout the caller gave.
HANDLE StartOn(wchar_t** argv, const wchar_t* name, HANDLE input, HANDLE output = nullptr) {
    wchar_t* arguments[] = {argv[2], const_cast<wchar_t*>(name), argv[4], argv[5]};
    return Start(arguments, 4, input, output);
}

int StatusOf(HANDLE process) {
    DWORD status = 2;
    WaitForSingleObject(process, INFINITE);
    GetExitCodeProcess(process, &status);
    return static_cast<int>(status);
}

// Writes all of `file` to `pipe`, in pieces of `piece` bytes, each after a
// write of 0 bytes if `empty`, `limit` bytes at most.
bool Copy(HANDLE file, HANDLE pipe, DWORD piece, bool empty, DWORD limit = MAXDWORD) {
    DWORD got = 0, written = 0;
    while (limit > 0 && ReadFile(file, buffer, piece < limit ? piece : limit, &got, nullptr) && got > 0) {
        limit -= got;
        if ((empty && !WriteFile(pipe, buffer, 0, &written, nullptr)) ||
            !WriteFile(pipe, buffer, got, &written, nullptr) || written != got)
            return false;
    }
    return true;
}

HANDLE firstOutput;  // set once Relay has copied something

// Copies what Tolvarin writes into `from` to standard output, to its end.
DWORD WINAPI Relay(void* from) {
    DWORD got = 0, written = 0;
    while (ReadFile(from, buffer, sizeof buffer, &got, nullptr) &&
           WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), buffer, got, &written, nullptr))
        if (firstOutput != nullptr) SetEvent(firstOutput);
    return 0;
}

int Terminal(int argc, wchar_t** argv) {
    wchar_t name[256];
    swprintf(name, 256, L"\\\\.\\pipe\\%ls", argv[2]);
    const wchar_t* variables[] = {L"LANG", L"LC_ALL", L"LC_CTYPE"};
    for (int i = 0; i < 3; ++i) SetEnvironmentVariableW(variables[i], *argv[3 + i] != L'\0' ? argv[3 + i] : nullptr);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE server =
        CreateNamedPipeW(name, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
    HANDLE client = CreateFileW(name, GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
    HANDLE process = server == INVALID_HANDLE_VALUE || client == INVALID_HANDLE_VALUE
                         ? nullptr
                         : Start(argv + 6, argc - 6, nullptr, client);
    if (process == nullptr) return 2;
    CloseHandle(client);
    Relay(server);
    return StatusOf(process);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 7 && wcscmp(argv[1], L"terminal") == 0) return Terminal(argc, argv);
    if (argc != 6) return 2;
    const wchar_t* mode = argv[1];
    wchar_t name[64];
    swprintf(name, 64, L"\\\\.\\pipe\\tolvarin-test-%lu", GetCurrentProcessId());

    if (wcscmp(mode, L"hold") == 0) {
        HANDLE file =
            CreateFileW(argv[3], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        HANDLE process = file == INVALID_HANDLE_VALUE ? nullptr : StartOn(argv, argv[3], nullptr);
        if (process == nullptr) return 2;
        int status = StatusOf(process);
        DWORD written = 0;
        bool appended = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                        WriteFile(file, "more", 4, &written, nullptr) && written == 4;
        return appended ? status : 3;
    }

    HANDLE file = CreateFileW(argv[3], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    if (wcscmp(mode, L"nowait") == 0) {
        HANDLE input = nullptr, feed = nullptr, output = nullptr, taken = nullptr;
        DWORD noWait = PIPE_READMODE_BYTE | PIPE_NOWAIT;
        HANDLE process = CreatePipe(&input, &feed, &inherited, 0) && CreatePipe(&taken, &output, &inherited, 0) &&
                                 SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0) &&
                                 SetHandleInformation(taken, HANDLE_FLAG_INHERIT, 0) &&
                                 SetNamedPipeHandleState(input, &noWait, nullptr, nullptr)
                             ? StartOn(argv, L"/dev/stdin", input, output)
                             : nullptr;
        if (process == nullptr) return 2;
        CloseHandle(input);
        CloseHandle(output);
        // Tolvarin writes what it has only before a read that would wait:
        // its first bytes say it found the pipe empty.
        firstOutput = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE relay = CreateThread(nullptr, 0, Relay, taken, 0, nullptr);
        Copy(file, feed, 65536, false, GetFileSize(file, nullptr) / 2);
        WaitForSingleObject(firstOutput, INFINITE);
        Sleep(200);
        Copy(file, feed, 65536, false);
        CloseHandle(feed);
        WaitForSingleObject(relay, INFINITE);
        return StatusOf(process);
    }
    bool empty = wcscmp(mode, L"empty") == 0;
    if (empty || wcscmp(mode, L"message") == 0) {
        DWORD messages = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT;
        HANDLE server = CreateNamedPipeW(name, PIPE_ACCESS_INBOUND, messages, 1, 65536, 65536, 0, &inherited);
        HANDLE client = CreateFileW(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        HANDLE process = server == INVALID_HANDLE_VALUE || client == INVALID_HANDLE_VALUE
                             ? nullptr
                             : StartOn(argv, L"/dev/stdin", server);
        if (process == nullptr) return 2;
        CloseHandle(server);
        if (!Copy(file, client, empty ? 65536 : sizeof buffer, empty)) return 2;
        CloseHandle(client);
        return StatusOf(process);
    }

    HANDLE pipe = CreateNamedPipeW(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
    HANDLE process = pipe == INVALID_HANDLE_VALUE ? nullptr : StartOn(argv, name, nullptr);
    if (process == nullptr) return 2;
    if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 2;
    if (!Copy(file, pipe, 65536, false)) return 2;
    FlushFileBuffers(pipe);
    DisconnectNamedPipe(pipe);
    CloseHandle(pipe);
    return StatusOf(process);
}
