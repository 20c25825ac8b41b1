// The fast whole-line dump prints exactly what the field-by-field line loop
// prints, for many layouts, both byte orders, both formatters, and every
// length around the points where the fast path hands over to the line loop.

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/state.h"
#include "dump_compare.h"
#include "field/whole_lines.h"

namespace {

int failures = 0;

void Expect(const std::string& difference, const char* formatter) {
    if (difference.empty()) return;
    if (++failures <= 20) printf("FAIL (%s formatter): %s\n", formatter, difference.c_str());
}

std::vector<size_t> LengthsToTry(size_t lineIn, size_t periodIn) {
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 3 * lineIn; ++n) lengths.push_back(n);
    for (size_t k = 1; k <= 2; ++k)
        for (size_t n = k * periodIn - 2 * lineIn; n <= k * periodIn + 2 * lineIn; ++n) lengths.push_back(n);
    return lengths;
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

    std::vector<bool> formatters = {false};
    if (SelectVectorLines(true)) formatters.push_back(true);
    int runs = 0;
    for (bool vector : formatters) {
        SelectVectorLines(vector);
        const char* name = vector ? "vector" : "portable";
        for (const std::string& layout : layouts) {
            for (int big = 0; big < 2; ++big) {
                strncpy(layoutText, layout.c_str(), sizeof layoutText - 1);
                bigEndian = big;
                size_t lineIn = 0;
                for (char c : layout) lineIn += static_cast<size_t>(c - '0');
                for (size_t length : LengthsToTry(lineIn, PlanWholeLines())) {
                    Expect(CompareDumps(data.data(), length, 1 << 20, false, layout.c_str(), big), name);
                    ++runs;
                }
                // Past several input blocks, with the stream giving odd-sized
                // pieces and ending in a read error.
                Expect(CompareDumps(data.data(), data.size() - 7, 4093, false, layout.c_str(), big), name);
                Expect(CompareDumps(data.data(), 300001, 65537, true, layout.c_str(), big), name);
                runs += 2;
            }
        }
    }
    printf("%d comparisons over %zu layouts with %zu formatters: %d failed\n", runs, layouts.size(),
           formatters.size(), failures);
    return failures == 0 ? 0 : 1;
}
