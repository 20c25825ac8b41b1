#include "driver/line_loop.h"

#include "common/input.h"
#include "common/output.h"
#include "common/state.h"
#include "field/print_field.h"
#include "field/whole_lines.h"

int RunLineLoop(size_t handBackAt) {
    int position = 0;
    for (;;) {
        char digit = layoutText[position++];
        if (digit == '\0') {
            position = 0;
            WriteLineEnd();
            if (InputBuffered() >= handBackAt) return 1;
            continue;
        }
        if (PrintField(digit - '0') == 0) return 0;
    }
}

void DumpInput() {
    size_t periodIn = PlanWholeLines();
    do DumpWholeLines(); while (RunLineLoop(periodIn) != 0);
}
