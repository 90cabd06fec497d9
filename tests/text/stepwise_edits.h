// Three text edits written out the way they read step by step: a search
// through the whole search set for every character, a removal and a fresh
// search for every occurrence, a rebuilt text for every replacement. Slow on
// purpose; the one-pass functions are checked and measured against them.
#pragma once

#include "text/core/strutils.h"

#include <string>
#include <string_view>

namespace zunda::text::stepwise {

inline bool Contains(std::u16string_view search, std::u16string_view text) {
    if (search.empty() || text.empty()) return false;
    for (char16_t c : text)
        for (char16_t s : search)
            if (c == s) return true;
    return false;
}

inline std::u16string Delete(std::u16string w, std::u16string_view remove) {
    const size_t n = w.size();
    for (size_t i = 0; i < n; ++i) {
        const size_t p = remove.empty() ? std::u16string::npos : w.find(remove);
        if (p != std::u16string::npos) w.erase(p, 1);
    }
    return w;
}

inline std::string TrimmedUpper(const Locale& locale, std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return locale.UpperCase(s.substr(b, e - b));
}

// Replace the first occurrence while the text holds `from` and not `to`,
// at most one time more than the text is long.
inline std::string ReplaceEx(const Locale& locale, std::string_view text, std::string_view from, std::string_view to) {
    const std::string f = TrimmedUpper(locale, from), t = TrimmedUpper(locale, to);
    std::string cur(text);
    size_t counter = 0;
    for (;;) {
        const std::string upper = TrimmedUpper(locale, cur);
        if (f.empty() || upper.find(f) == std::string::npos) break;
        if (!t.empty() && upper.find(t) != std::string::npos) break;
        cur = Copy2Symb(locale, cur, from) + std::string(to) + CopyAfterSymb(locale, cur, from);
        if (++counter > text.size()) break;
    }
    return cur;
}

}  // namespace zunda::text::stepwise
