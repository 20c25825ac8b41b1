#include "common/text_output.h"

#include <cstring>

#include "common/output.h"
#include "common/platform.h"

namespace {

// Hands `text` to the system as characters, after everything written before
// it. A failed write ends the process, as for any output.
void WriteCharacters(const char* text, bool name) {
    FlushOutput();
    if (!SystemWriteCharacters(text, name)) EndProcess(1);
}

}  // namespace

void WriteText(Text text) {
    if (SystemNeedsCharacters(false))
        WriteCharacters(text.shiftJis, false);
    else
        WriteLines(SystemTextsInUtf8() ? text.utf8 : text.shiftJis);
}

void WriteName(const char* name) {
    if (SystemNeedsCharacters(true))
        WriteCharacters(name, true);
    else
        WriteOutput(name, strlen(name));
}
