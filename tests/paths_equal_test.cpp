// The fast whole-line dump prints exactly what the field-by-field line loop
// prints, for many layouts, both byte orders, every formatter, every length
// around the points where the fast path hands over to the line loop, and
// inputs that arrive in pieces with pauses between them; and at every pause
// every whole field is already out. On x86 Linux, the formatter chosen is
// the best one the kernel's view of the processor allows.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
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

// The formatter that the flags line of /proc/cpuinfo allows on x86 Linux;
// formatterLevels elsewhere, where it tells nothing.
FormatterLevel LevelFromCpuinfo() {
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.compare(0, 5, "flags") != 0) continue;
        std::istringstream words(line.substr(line.find(':') + 1));
        FormatterLevel level = portableFormatter;
        for (std::string flag; words >> flag;) {
            if (flag == "avx2") level = avx2Formatter;
            if (flag == "ssse3" && level == portableFormatter) level = ssse3Formatter;
        }
        return level;
    }
#endif
    return formatterLevels;
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
    FormatterLevel allowed = LevelFromCpuinfo();
    if (allowed != formatterLevels && allowed != best) {
        printf("FAIL: the %s formatter was chosen; /proc/cpuinfo allows the %s one\n", formatterNames[best],
               formatterNames[allowed]);
        ++failures;
    }
    int runs = 0;
    for (int level = portableFormatter; level <= best; ++level) {
        FormatterLevel formatter = SelectFormatter(static_cast<FormatterLevel>(level));
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
    }
    printf("%d comparisons over %zu layouts with %d formatters (best: %s): %d failed\n", runs, layouts.size(),
           best + 1, formatterNames[best], failures);
    return failures == 0 ? 0 : 1;
}
