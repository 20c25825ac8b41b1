// Serves a file to Tolvarin through a named pipe, then ends the pipe the
// documented way: FlushFileBuffers, DisconnectNamedPipe, CloseHandle.
// Usage: pipe_server TOLVARIN FILE ORDER LAYOUT. Runs Tolvarin on the pipe
// with its standard handles and exits with its status.

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    char name[64];
    snprintf(name, sizeof name, "\\\\.\\pipe\\tolvarin-test-%lu", GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeA(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0,
                                   nullptr);
    HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE || file == INVALID_HANDLE_VALUE) return 2;

    char command[1024];
    snprintf(command, sizeof command, "\"%s\" %s %s %s", argv[1], name, argv[3], argv[4]);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) return 2;
    if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 2;

    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        DWORD written = 0;
        if (!WriteFile(pipe, buffer, got, &written, nullptr) || written != got) return 2;
    }
    FlushFileBuffers(pipe);
    DisconnectNamedPipe(pipe);
    CloseHandle(pipe);

    DWORD status = 2;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
