// Hands a file to Tolvarin the ways Windows programs hand one over, runs
// Tolvarin on it with its standard handles, and exits with its status.
// Usage: serve MODE TOLVARIN FILE ORDER LAYOUT, MODE one of
//   pipe     a named pipe, which Tolvarin opens by its name; the server then
//            ends it the documented way: FlushFileBuffers,
//            DisconnectNamedPipe, CloseHandle
//   message  a message-mode pipe read in message mode as Tolvarin's
//            standard input, the file as one message longer than any read
//   empty    the same, the file in messages of 64 KiB, each after a
//            message of 0 bytes
//   hold     FILE itself, held open for writing as a logger holds its
//            capture while Tolvarin dumps it, then appended to ("more")
//            through that handle; status 3 if the append fails

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

char buffer[1 << 20];

// Starts Tolvarin on `name` with the standard input `input` (or the
// caller's) and returns its process.
HANDLE Start(char** argv, const char* name, HANDLE input) {
    char command[1024];
    snprintf(command, sizeof command, "\"%s\" %s %s %s", argv[2], name, argv[4], argv[5]);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (input != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

int StatusOf(HANDLE process) {
    DWORD status = 2;
    WaitForSingleObject(process, INFINITE);
    GetExitCodeProcess(process, &status);
    return static_cast<int>(status);
}

// Writes all of `file` to `pipe`, in pieces of `piece` bytes, each after a
// write of 0 bytes if `empty`.
bool Copy(HANDLE file, HANDLE pipe, DWORD piece, bool empty) {
    DWORD got = 0, written = 0;
    while (ReadFile(file, buffer, piece, &got, nullptr) && got > 0) {
        if ((empty && !WriteFile(pipe, buffer, 0, &written, nullptr)) ||
            !WriteFile(pipe, buffer, got, &written, nullptr) || written != got)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) return 2;
    const char* mode = argv[1];
    char name[64];
    snprintf(name, sizeof name, "\\\\.\\pipe\\tolvarin-test-%lu", GetCurrentProcessId());

    if (strcmp(mode, "hold") == 0) {
        HANDLE file = CreateFileA(argv[3], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        HANDLE process = file == INVALID_HANDLE_VALUE ? nullptr : Start(argv, argv[3], nullptr);
        if (process == nullptr) return 2;
        int status = StatusOf(process);
        DWORD written = 0;
        bool appended = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                        WriteFile(file, "more", 4, &written, nullptr) && written == 4;
        return appended ? status : 3;
    }

    HANDLE file = CreateFileA(argv[3], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    bool empty = strcmp(mode, "empty") == 0;
    if (empty || strcmp(mode, "message") == 0) {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        DWORD messages = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT;
        HANDLE server = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND, messages, 1, 65536, 65536, 0, &inherited);
        HANDLE client = CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        HANDLE process = server == INVALID_HANDLE_VALUE || client == INVALID_HANDLE_VALUE
                             ? nullptr
                             : Start(argv, "/dev/stdin", server);
        if (process == nullptr) return 2;
        CloseHandle(server);
        if (!Copy(file, client, empty ? 65536 : sizeof buffer, empty)) return 2;
        CloseHandle(client);
        return StatusOf(process);
    }

    HANDLE pipe = CreateNamedPipeA(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0,
                                   nullptr);
    HANDLE process = pipe == INVALID_HANDLE_VALUE ? nullptr : Start(argv, name, nullptr);
    if (process == nullptr) return 2;
    if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 2;
    if (!Copy(file, pipe, 65536, false)) return 2;
    FlushFileBuffers(pipe);
    DisconnectNamedPipe(pipe);
    CloseHandle(pipe);
    return StatusOf(process);
}
