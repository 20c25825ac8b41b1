// The fast whole-line dump prints exactly what the field-by-field line loop
// prints, for many layouts, both byte orders, every formatter, every length
// around the points where the fast path hands over to the line loop, and
// inputs that arrive in pieces with pauses between them; and at every pause
// every whole field is already out. Each level asked for runs a formatter of
// its own, and on x86 the best level chosen is the one the processor's CPUID
// allows: under an emulator, the emulated model's.

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/state.h"
#include "dump_compare.h"
#include "field/formatters.h"
#include "field/line_plan.h"
#include "field/whole_lines.h"

namespace {

int failures = 0;

// By FormatterLevel.
const char* const formatterNames[formatterLevels] = {"portable", "SSSE3 or NEON", "AVX2"};

void Expect(const std::string& difference, FormatterLevel formatter) {
    if (difference.empty()) return;
    if (++failures <= 20) printf("FAIL (%s formatter): %s\n", formatterNames[formatter], difference.c_str());
}

std::vector<size_t> LengthsToTry(size_t lineIn, size_t periodIn) {
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 3 * lineIn; ++n) lengths.push_back(n);
    for (size_t k = 1; k <= 2; ++k)
        for (size_t n = k * periodIn - 2 * lineIn; n <= k * periodIn + 2 * lineIn; ++n) lengths.push_back(n);
    return lengths;
}

// The level the processor allows on x86, as the compiler's runtime reads
// CPUID and the registers the system saves (the tool reads them itself);
// formatterLevels elsewhere, where it tells nothing.
FormatterLevel LevelFromProcessor() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return avx2Formatter;
    if (__builtin_cpu_supports("ssse3")) return ssse3Formatter;
    return portableFormatter;
#else
    return formatterLevels;
#endif
}

}  // namespace

int main() {
    std::mt19937 random(20261208);
    std::vector<std::string> layouts = {"1",  "2",  "4",   "8",      "112444",   "8421", "1248", "18", "81",
                                        "88", "12", "888881", "84218421", std::string(30, '8'),
                                        std::string(30, '1'), "124124124124124124124124124124"};
    for (int i = 0; i < 40; ++i) {
        std::string layout(1 + random() % 30, '1');
        for (char& c : layout) c = "1248"[random() % 4];
        layouts.push_back(layout);
    }

    std::vector<uint8_t> data(600 * 1024);
    for (uint8_t& b : data) b = static_cast<uint8_t>(random());

    FormatterLevel best = SelectFormatter(avx2Formatter);
    FormatterLevel allowed = LevelFromProcessor();
    if (allowed != formatterLevels && allowed != best) {
        printf("FAIL: the %s formatter was chosen; the processor allows the %s one\n", formatterNames[best],
               formatterNames[allowed]);
        ++failures;
    }
    int runs = 0;
    FormatFunction running[formatterLevels] = {};
    for (int level = portableFormatter; level <= best; ++level) {
        // The level's own formatter: there, not another level's, and still
        // the one running after every comparison.
        FormatterLevel formatter = SelectFormatter(static_cast<FormatterLevel>(level));
        running[level] = FormatterInUse();
        bool own = formatter == level && running[level] != nullptr;
        for (int lower = portableFormatter; lower < level; ++lower) own = own && running[lower] != running[level];
        if (!own) {
            printf("FAIL: the %s formatter is missing: level %d runs %s\n", formatterNames[level], level,
                   running[level] == nullptr ? "nothing" : "another level's formatter");
            ++failures;
            continue;
        }
        for (const std::string& layout : layouts) {
            for (int big = 0; big < 2; ++big) {
                strncpy(layoutText, layout.c_str(), sizeof layoutText - 1);
                bigEndian = big;
                size_t lineIn = LineInputBytes(layout.c_str());
                size_t periodIn = PlanWholeLines();
                for (size_t length : LengthsToTry(lineIn, periodIn)) {
                    Expect(CompareDumps(data.data(), length, {1 << 20, false, false}, layout.c_str(), big), formatter);
                    ++runs;
                }
                // Past several input blocks, in odd-sized pieces, ending in a
                // read error; then a few periods arriving in pieces of every
                // size that matters, with a pause after each.
                Expect(CompareDumps(data.data(), data.size() - 7, {4093, false, false}, layout.c_str(), big), formatter);
                Expect(CompareDumps(data.data(), 300001, {65537, false, true}, layout.c_str(), big), formatter);
                runs += 2;
                size_t pieces[] = {1, 3, lineIn - 1, lineIn + 1, periodIn - 1, periodIn, periodIn + 5, 3 * periodIn};
                for (size_t piece : pieces) {
                    if (piece == 0) continue;
                    bool fail = piece % 2 == 1;
                    Arrival arrival{piece, true, fail};
                    Expect(CompareDumps(data.data(), 4 * periodIn + lineIn / 2, arrival, layout.c_str(), big), formatter);
                    ++runs;
                }
            }
        }
        if (FormatterInUse() != running[level]) {
            printf("FAIL: the %s formatter gave way to another while dumping\n", formatterNames[level]);
            ++failures;
        }
    }
    printf("%d comparisons over %zu layouts with %d formatters (best: %s): %d failed\n", runs, layouts.size(),
           best + 1, formatterNames[best], failures);
    return failures == 0 ? 0 : 1;
}
