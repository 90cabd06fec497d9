// Cost of three text edits as texts grow tenfold: StrReplaceEx(text, "-", "")
// over a text with a separator in every third place, StrContains with a
// search set as long as the text that the text does not hold, and
// StrDelete(text, "a"). The baseline is one plain scan of the same text
// counting one character, the least any of them has to do; the step-by-step
// forms are shown where they finish in reasonable time.
#include "bench/per_call.h"
#include "tests/support/cp1252_locale.h"
#include "tests/text/stepwise_edits.h"
#include "text/core/strutils.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using zunda::bench::PerCall;

volatile size_t sink;

}  // namespace

int main() {
    using namespace zunda;
    test::Cp1252Locale locale;
    const size_t sizes[] = {10000, 100000, 1000000};
    constexpr int kSizes = 3;
    const char* names[] = {"StrReplaceEx", "StrContains", "StrDelete"};
    double t[3][kSizes] = {}, base[kSizes] = {};
    std::printf("time per call against text length\n");
    std::printf("%-13s %9s %14s %14s %8s %16s\n", "member", "chars", "one pass", "baseline scan", "ratio", "stepwise");
    for (int i = 0; i < kSizes; ++i) {
        const size_t n = sizes[i];
        std::string text(n, 'x');
        for (size_t k = 0; k < n; k += 3) text[k] = '-';
        std::u16string wide(text.begin(), text.end());
        std::u16string withA(wide);
        std::replace(withA.begin(), withA.end(), u'-', u'a');
        std::u16string search(n, u'\u4e00');
        for (size_t k = 0; k < n; ++k) search[k] = static_cast<char16_t>(0x4e00 + k % 0x5000);

        base[i] = PerCall([&] { sink = static_cast<size_t>(std::count(text.begin(), text.end(), '-')); });
        const std::function<void()> fast[3] = {
            [&] { sink = text::StrReplaceEx(locale, text, "-", "").size(); },
            [&] { sink = text::StrContains(search, wide); },
            [&] { sink = text::StrDelete(withA, u"a").size(); },
        };
        const std::function<void()> slow[3] = {
            [&] { sink = text::stepwise::ReplaceEx(locale, text, "-", "").size(); },
            [&] { sink = text::stepwise::Contains(search, wide); },
            [&] { sink = text::stepwise::Delete(withA, u"a").size(); },
        };
        for (int f = 0; f < 3; ++f) {
            t[f][i] = PerCall(fast[f]);
            char stepwise[32] = "(skipped)";
            if (n <= 10000) std::snprintf(stepwise, sizeof stepwise, "%.3f ms", PerCall(slow[f]) * 1e3);
            std::printf("%-13s %9zu %11.3f us %11.3f us %8.2f %16s\n", names[f], n, t[f][i] * 1e6, base[i] * 1e6,
                        t[f][i] / base[i], stepwise);
        }
    }
    std::printf("\ngrowth of the time per call for a tenfold text (linear: about 10):\n");
    for (int i = 1; i < kSizes; ++i) {
        std::printf("  %7zu -> %7zu:", sizes[i - 1], sizes[i]);
        for (int f = 0; f < 3; ++f) std::printf(" %s x%.1f,", names[f], t[f][i] / t[f][i - 1]);
        std::printf(" baseline scan x%.1f\n", base[i] / base[i - 1]);
    }
    return 0;
}
