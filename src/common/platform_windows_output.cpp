// Standard output on Windows: WriteFile on the handle, so that it takes
// whole buffers, bytes unchanged; WriteConsoleW for names on a console, and
// for the texts on a console that shows another code page than Shift_JIS.

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "common/output.h"
#include "common/platform.h"
#include "common/platform_windows.h"
#include "common/state.h"

namespace {

constexpr UINT shiftJisCodePage = 932;
constexpr DWORD consoleWritePiece = 16 * 1024;  // older consoles refuse large writes
constexpr DWORD pipeWritePiece = 8 * 1024;      // a pipe's reader starts sooner on small pieces

DWORD writePiece;  // the most one write hands over; 0 until the first write

HANDLE Output() { return GetStdHandle(STD_OUTPUT_HANDLE); }

int outputIsConsole = -1;  // decided at the first write

bool OutputIsConsole() {
    DWORD mode = 0;
    if (outputIsConsole < 0) outputIsConsole = GetConsoleMode(Output(), &mode) != 0;
    return outputIsConsole == 1;
}

// A console whose code page is not Shift_JIS shows the texts only when they
// are handed over as characters.
bool ConsoleNeedsCharacters() { return OutputIsConsole() && GetConsoleOutputCP() != shiftJisCodePage; }

void WriteConsoleChars(const wchar_t* text, size_t count) {
    DWORD written = 0;
    if (count > 0 && !WriteConsoleW(Output(), text, static_cast<DWORD>(count), &written, nullptr)) EndProcess(1);
}

// Writes `text`, in code page `codePage`, to the console as characters, each
// line feed as CR LF, after everything written before it.
void WriteToConsole(const char* text, UINT codePage) {
    FlushOutput();
    static wchar_t wide[pathCapacity];
    int count = MultiByteToWideChar(codePage, 0, text, -1, wide, pathCapacity);
    if (count <= 0) EndProcess(1);
    const wchar_t* piece = wide;
    while (const wchar_t* end = wcschr(piece, L'\n')) {
        WriteConsoleChars(piece, static_cast<size_t>(end - piece));
        WriteConsoleChars(L"\r\n", 2);
        piece = end + 1;
    }
    WriteConsoleChars(piece, wcslen(piece));
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

void WriteText(Text text) {
    if (ConsoleNeedsCharacters())
        WriteToConsole(text.shiftJis, shiftJisCodePage);
    else
        WriteLines(text.shiftJis);
}

// On a console the name goes out as typed, at every code page; elsewhere as
// the narrow argument holds it.
void WriteName(const char* name) {
    if (!OutputIsConsole()) {
        WriteOutput(name, strlen(name));
        return;
    }
    if (const wchar_t* wide = WideArgument(name)) {
        FlushOutput();
        WriteConsoleChars(wide, wcslen(wide));
    } else {
        WriteToConsole(name, CP_ACP);
    }
}
