// What the Windows layer's input side asks of the devices it may read: a
// serial port, given read timeouts that let a read return what has arrived
// and set back as they were found when the process ends; a raw disk or
// volume, read in aligned whole sectors.
#pragma once

#include <windows.h>

#include <cstddef>

// Takes the serial port behind `handle` as the input; false when it is no
// port, or one whose timeouts cannot be read, kept or set, which is then
// read as any other device.
bool AdoptPort(HANDLE handle);

// After a failed read of the port: true when the read failed at a framing,
// parity or overrun error that the port's fAbortOnError turned into a
// failure, now cleared, so that the port reads on.
bool ClearPortError(HANDLE handle);

// Takes `handle` as a raw disk or volume, read uncached, when it is one.
bool AdoptRaw(HANDLE handle);

// One read of that disk or volume: as SystemRead.
long ReadSectors(HANDLE handle, unsigned char* buffer, size_t count);
