#include "field/line_plan.h"

#include <cstring>
#include <numeric>

namespace {

// While a plan is built: the input byte behind each output position of the
// period (-1 for a space or a line end), and whether the position holds
// that byte's high digit.
int32_t sourceOf[maxPeriodOut];
bool highOf[maxPeriodOut];

// Lays out the period's lines: the template, where each input byte's digits
// go, and `sourceOf` and `highOf`.
void LayOutPeriod(const char* layout, bool big, size_t lines, LinePlan* plan) {
    size_t fields = strlen(layout);
    size_t in = 0;
    size_t out = 0;
    for (size_t line = 0; line < lines; ++line) {
        for (size_t i = 0; i < fields; ++i) {
            size_t width = static_cast<size_t>(layout[i] - '0');
            for (size_t j = 0; j < width; ++j) {
                size_t at = out + 2 * (big ? j : width - 1 - j);
                plan->digitsAt[in + j] = static_cast<uint16_t>(at);
                plan->periodTemplate[at] = plan->periodTemplate[at + 1] = '0';
                sourceOf[at] = sourceOf[at + 1] = static_cast<int32_t>(in + j);
                highOf[at] = true;
                highOf[at + 1] = false;
            }
            in += width;
            out += 2 * width;
            plan->periodTemplate[out] = ' ';
            sourceOf[out++] = -1;
        }
        for (size_t k = 0; k < lineEndLength; ++k) {
            plan->periodTemplate[out] = lineEnd[k];
            sourceOf[out++] = -1;
        }
    }
}

// Fills half `half` (0 or 1) of `block`, which shows the output positions
// [start, start + 16), from the laid-out period.
void PlanHalf(const char* periodTemplate, size_t start, int half, BlockPlan* block) {
    int32_t from = INT32_MAX;
    for (size_t p = start; p < start + 16; ++p)
        if (sourceOf[p] >= 0 && sourceOf[p] < from) from = sourceOf[p];
    if (from == INT32_MAX) from = 0;
    int32_t second = INT32_MAX;
    for (size_t p = start; p < start + 16; ++p)
        if (sourceOf[p] >= from + 16 && sourceOf[p] < second) second = sourceOf[p];
    if (second == INT32_MAX) second = from;
    block->windowFrom[2 * half] = from;
    block->windowFrom[2 * half + 1] = second;

    unsigned char(*rows)[32] = block->rows;
    for (size_t p = start; p < start + 16; ++p) {
        size_t at = 16 * static_cast<size_t>(half) + (p - start);
        int32_t source = sourceOf[p];
        rows[shuffleA][at] = rows[shuffleB][at] = 0x80;
        rows[lowDigit][at] = rows[highDigit][at] = 0;
        rows[fixedChar][at] = 0;
        if (source < 0) {
            rows[fixedChar][at] = static_cast<unsigned char>(periodTemplate[p] - '0');
            continue;
        }
        if (source < from + 16)
            rows[shuffleA][at] = static_cast<unsigned char>(source - from);
        else
            rows[shuffleB][at] = static_cast<unsigned char>(source - second);
        rows[highOf[p] ? highDigit : lowDigit][at] = 0x0F;
    }
}

}  // namespace

size_t LineInputBytes(const char* layout) {
    size_t bytes = 0;
    for (; *layout != '\0'; ++layout) bytes += static_cast<size_t>(*layout - '0');
    return bytes;
}

size_t LineOutputBytes(const char* layout) { return 2 * LineInputBytes(layout) + strlen(layout) + lineEndLength; }

void BuildLinePlan(const char* layout, bool big, LinePlan* plan) {
    size_t lineIn = LineInputBytes(layout);
    size_t lineOut = LineOutputBytes(layout);
    size_t lines = 32 / std::gcd(lineOut, size_t{32});
    while (lines * lineOut < minPeriodOut) lines *= 2;
    plan->periodIn = lines * lineIn;
    plan->periodOut = lines * lineOut;

    LayOutPeriod(layout, big, lines, plan);
    for (size_t block = 0; block < plan->periodOut / 32; ++block) {
        PlanHalf(plan->periodTemplate, 32 * block, 0, &plan->blocks[block]);
        PlanHalf(plan->periodTemplate, 32 * block + 16, 1, &plan->blocks[block]);
    }
}
