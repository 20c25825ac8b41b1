// The entry: checks the three arguments in a fixed order, opens the input and
// dumps it. The platform's start-up calls it with the arguments as typed;
// every path ends the process through EndProcess.

#include <cstdio>
#include <cstring>

#include "common/input.h"
#include "common/output.h"
#include "common/platform.h"
#include "common/state.h"
#include "common/text_output.h"
#include "driver/line_loop.h"
#include "driver/texts.h"

namespace {

// Returns 1 for a layout string that must be refused: one with a character
// other than 1, 2, 4 and 8, or an empty one (its pass over the layout would
// print no field and the dump would never end).
int CheckLayoutString(const char* text) {
    size_t length = strlen(text);
    if (length == 0) return 1;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c != '1' && c != '2' && c != '4' && c != '8') return 1;
    }
    return 0;
}

[[noreturn]] void Fail(Text message) {
    WriteText(message);
    EndProcess(1);
}

// A message about the input, then the name as given, on a line of its own.
[[noreturn]] void FailOnInput(int message) {
    WriteText(TextOf(message));
    WriteName(inputPath);
    WriteLineEnd();
    EndProcess(1);
}

}  // namespace

void Entry(int argc, char** argv) {
    if (argc < 4) {
        for (int line = 0; line < usageLineCount; ++line) WriteText(TextOf(line));
        EndProcess(0);
    }

    const char* order = argv[2];
    if (strcmp(order, "-l") == 0 || strcmp(order, "-L") == 0) {
        bigEndian = 0;
    } else if (strcmp(order, "-b") == 0 || strcmp(order, "-B") == 0) {
        bigEndian = 1;
    } else {
        Fail(TextOf(byteOrderText));
    }

    const char* layout = argv[3];
    if (strlen(layout) > layoutMaxLength) {
        char shiftJis[128];
        char utf8[128];
        snprintf(shiftJis, sizeof shiftJis, shiftJisTexts[layoutLengthText], layoutMaxLength);
        snprintf(utf8, sizeof utf8, utf8Texts[layoutLengthText], layoutMaxLength);
        Fail(Text{shiftJis, utf8});
    }
    strncpy(layoutText, layout, sizeof layoutText);
    if (CheckLayoutString(layoutText) != 0) Fail(TextOf(layoutCharacterText));

    // A longer name is not opened under its first 4,095 bytes: that would
    // dump a file other than the one named.
    strncpy(inputPath, argv[1], pathCapacity - 1);
    inputPath[pathCapacity - 1] = '\0';
    inputFile = nullptr;
    if (strlen(argv[1]) >= pathCapacity || !OpenInput(inputPath)) FailOnInput(openErrorText);
    // Standard output that is the input itself gets nothing, not even a
    // message: the dump would grow the file without end or overwrite what
    // it has yet to read.
    if (SystemOutputIsInput()) EndProcess(1);
    // From here on the tool needs only what it holds open: whatever an
    // input could make it do reaches no further.
    SystemConfine();

    DumpInput();

    // A failed read is not the end of the input: say so on a line of its own.
    if (InputFailed()) {
        CloseInput();
        if (OutputInsideLine()) WriteLineEnd();
        FailOnInput(readErrorText);
    }
    CloseInput();
    EndProcess(0);
}
