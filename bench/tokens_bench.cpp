// Cost of the token functions as texts grow: token k = n of a text of n
// tokens, for n = 1,000, 10,000 and 100,000. The baseline is one plain scan
// of the same text counting its separators, the least any token function
// has to do; the step-by-step reading (re-cutting a working copy for every
// token, as the functions read when written out) is shown where it finishes
// in reasonable time.
#include "bench/per_call.h"
#include "tests/text/stepwise_tokens.h"
#include "text/core/tokens.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

using zunda::bench::PerCall;

// Token i of the benchmark texts: "f" and its number.
std::u16string Field(int i) {
    std::string n = "f" + std::to_string(i);
    return std::u16string(n.begin(), n.end());
}

std::u16string Text(int tokens) {
    std::u16string t;
    for (int i = 0; i < tokens; ++i) {
        if (i) t += u';';
        t += Field(i);
    }
    return t;
}

volatile size_t sink;

}  // namespace

int main() {
    const int sizes[] = {1000, 10000, 100000};
    double onePass[3] = {}, baseline[3] = {};
    size_t chars[3] = {};
    std::printf("StrGetToken: token k = n of a text of n tokens, time per call\n");
    std::printf("%8s %10s %14s %16s %8s %16s\n", "n", "chars", "one pass", "baseline scan", "ratio", "stepwise");
    for (int i = 0; i < 3; ++i) {
        const int n = sizes[i];
        const std::u16string text = Text(n);
        chars[i] = text.size();
        if (zunda::text::StrGetToken(text, u";", n) != Field(n - 1)) {
            std::printf("wrong token\n");
            return 1;
        }
        onePass[i] = PerCall([&] { sink = zunda::text::StrGetToken(text, u";", n).size(); });
        baseline[i] = PerCall([&] { sink = static_cast<size_t>(std::count(text.begin(), text.end(), u';')); });
        char stepwise[32] = "(skipped)";
        if (n <= 10000) {
            double s = PerCall([&] { sink = zunda::text::stepwise::RefGet(text, u";", n).size(); });
            std::snprintf(stepwise, sizeof stepwise, "%.3f ms", s * 1e3);
        }
        std::printf("%8d %10zu %11.3f us %13.3f us %8.2f %16s\n", n, chars[i], onePass[i] * 1e6, baseline[i] * 1e6,
                    onePass[i] / baseline[i], stepwise);
    }
    std::printf("\ngrowth of the time per call (text length grows by the factor in brackets):\n");
    for (int i = 1; i < 3; ++i)
        std::printf("  n %6d -> %6d: one pass x%.2f, baseline scan x%.2f (text x%.2f)\n", sizes[i - 1], sizes[i],
                    onePass[i] / onePass[i - 1], baseline[i] / baseline[i - 1],
                    static_cast<double>(chars[i]) / static_cast<double>(chars[i - 1]));
    return 0;
}
