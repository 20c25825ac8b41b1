#include "driver/line_loop.h"

#include "common/output.h"
#include "common/state.h"
#include "field/print_field.h"
#include "field/whole_lines.h"

void RunLineLoop() {
    int position = 0;
    for (;;) {
        char digit = layoutText[position++];
        if (digit == '\0') {
            position = 0;
            WriteText("\n");
            continue;
        }
        if (PrintField(digit - '0') == 0) break;
    }
}

void DumpInput() {
    DumpWholeLines();
    RunLineLoop();
}
