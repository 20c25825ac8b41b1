// Serial ports and raw disks as the Windows layer's input. A port is read
// with timeouts that make a read return once a byte is there; its own
// timeouts are kept and set back when the process ends, however it ends,
// since the port's next user (type COM3 > log.bin) may rely on them. A disk
// or volume opened by its device name (\\.\E:, \\.\PhysicalDrive1) is read
// uncached, so every read is whole sectors into a place aligned to them.

#include "common/platform_windows.h"

#include <winioctl.h>

#include <cstdlib>
#include <cstring>

namespace {

// How long one read of a serial port waits for its first byte before it
// returns empty and is made again. Windows returns as soon as a byte is
// there; Wine only when this time is up, so it bounds the delay there.
constexpr DWORD portReadWait = 100;
// 4 KiB is a whole number of sectors on every disk.
constexpr size_t sectorAlignment = 4096;

// The process's own handle to the port, which outlives the input's stream,
// and the port's timeouts as found.
HANDLE port;
COMMTIMEOUTS portTimeouts;

// The disk's reads land here first, then go to the caller; `rawLeft` bytes
// of the disk are still to read, always whole sectors.
alignas(sectorAlignment) unsigned char sectors[128 * 1024];
DWORD sectorsStart, sectorsEnd;
LONGLONG rawLeft;

void RestorePort() { SetCommTimeouts(port, &portTimeouts); }

// Ctrl+C, Ctrl+Break or a closed console window: the system's handler then
// ends the process.
BOOL WINAPI RestorePortAtSignal(DWORD) {
    RestorePort();
    return FALSE;
}

}  // namespace

// The port opens with every timeout 0, with which a read waits for its
// whole count. Nothing else of it (speed, parity, flow control) is touched.
bool AdoptPort(HANDLE handle) {
    DCB state{};
    state.DCBlength = sizeof state;
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, portReadWait, 0, 0};
    HANDLE self = GetCurrentProcess();
    if (!GetCommState(handle, &state) || !GetCommTimeouts(handle, &portTimeouts) ||
        !DuplicateHandle(self, handle, self, &port, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return false;
    atexit(RestorePort);
    SetConsoleCtrlHandler(RestorePortAtSignal, TRUE);
    return SetCommTimeouts(handle, &timeouts) != 0;
}

bool ClearPortError(HANDLE handle) {
    DWORD errors = 0;
    return ClearCommError(handle, &errors, nullptr) && errors != 0;
}

// Only a disk or a volume answers for its length. A volume's file system
// is told to let its last sectors, past its own end, be read as well.
bool AdoptRaw(HANDLE handle) {
    GET_LENGTH_INFORMATION length;
    LARGE_INTEGER here{}, position{};
    DWORD size = 0;
    if (!DeviceIoControl(handle, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &size, nullptr) ||
        !SetFilePointerEx(handle, here, &position, FILE_CURRENT))
        return false;
    DeviceIoControl(handle, FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0, &size, nullptr);
    rawLeft = length.Length.QuadPart - position.QuadPart;
    return true;
}

long ReadSectors(HANDLE handle, unsigned char* buffer, size_t count) {
    if (sectorsStart == sectorsEnd) {
        DWORD asked = rawLeft < static_cast<LONGLONG>(sizeof sectors) ? static_cast<DWORD>(rawLeft) : sizeof sectors;
        sectorsStart = sectorsEnd = 0;
        if (asked == 0) return 0;
        if (!ReadFile(handle, sectors, asked, &sectorsEnd, nullptr)) return -1;
        if (sectorsEnd == 0) return 0;
        rawLeft -= sectorsEnd;
    }
    DWORD size = count < sectorsEnd - sectorsStart ? static_cast<DWORD>(count) : sectorsEnd - sectorsStart;
    memcpy(buffer, sectors + sectorsStart, size);
    sectorsStart += size;
    return static_cast<long>(size);
}
