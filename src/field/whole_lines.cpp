#include "field/whole_lines.h"

#include "common/input.h"
#include "common/output.h"
#include "common/state.h"
#include "field/formatters.h"
#include "field/line_plan.h"

namespace {

LinePlan plan;

}  // namespace

size_t PlanWholeLines() {
    BuildLinePlan(layoutText, bigEndian != 0, &plan);
    return plan.periodIn;
}

void DumpWholeLines() {
    for (;;) {
        const unsigned char* in = nullptr;
        size_t periods = PeekInput(plan.periodIn, &in) / plan.periodIn;
        if (periods == 0) return;
        if (OutputRoom() < plan.periodOut) FlushOutput();
        size_t fit = OutputRoom() / plan.periodOut;
        if (periods > fit) periods = fit;
        Format(plan, in, periods, ReserveOutput(periods * plan.periodOut));
        CommitOutput(periods * plan.periodOut);
        SkipInput(periods * plan.periodIn);
    }
}
