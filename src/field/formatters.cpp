#include "field/formatters.h"

#include <cstring>

#include "field/hex_pairs.h"
#include "field/vector_formatters.h"

namespace {

// Copies the period's template, then puts each input byte's two digits in
// their places.
void FormatPortable(const LinePlan& plan, const unsigned char* in, size_t periods, char* out) {
    for (size_t period = 0; period < periods; ++period) {
        memcpy(out, plan.periodTemplate, plan.periodOut);
        for (size_t i = 0; i < plan.periodIn; ++i) memcpy(out + plan.digitsAt[i], hexPairs.digits + 2 * in[i], 2);
        in += plan.periodIn;
        out += plan.periodOut;
    }
}

// The formatters by level, the portable one at 0; each level needs what the
// one below it needs.
FormatFunction formatters[3] = {FormatPortable, nullptr, nullptr};
int best = -1;         // the highest level the processor runs; decided at first use
FormatFunction inUse;  // null until chosen

}  // namespace

void Format(const LinePlan& plan, const unsigned char* in, size_t periods, char* out) {
    if (inUse == nullptr) SelectFormatter(2);
    inUse(plan, in, periods, out);
}

int SelectFormatter(int wanted) {
    if (best < 0) best = VectorFormatters(formatters);
    int level = wanted < best ? wanted : best;
    inUse = formatters[level];
    return level;
}
