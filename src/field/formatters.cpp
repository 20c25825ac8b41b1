#include "field/formatters.h"

#include <cstring>

#include "field/hex_pairs.h"

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

FormatFunction formatters[formatterLevels] = {FormatPortable};
// The highest level the processor runs; formatterLevels until it is asked.
FormatterLevel best = formatterLevels;
FormatFunction inUse;  // null until chosen

}  // namespace

void Format(const LinePlan& plan, const unsigned char* in, size_t periods, char* out) {
    if (inUse == nullptr) SelectFormatter(avx2Formatter);
    inUse(plan, in, periods, out);
}

FormatterLevel SelectFormatter(FormatterLevel wanted) {
    if (best == formatterLevels) best = VectorFormatters(formatters);
    FormatterLevel level = wanted < best ? wanted : best;
    inUse = formatters[level];
    return level;
}

FormatFunction FormatterInUse() { return inUse; }
