// The token functions written out the way they read step by step: each
// position function gets the token lengths by calling the token reader once
// per earlier token, and the reader re-cuts its working copy from the start.
// Slow on purpose; the one-pass functions are checked and measured against it.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace zunda::text::stepwise {

inline std::u16string Copy(std::u16string_view s, std::int64_t index, std::int64_t count) {
    if (index < 1) index = 1;
    if (count <= 0 || index > static_cast<std::int64_t>(s.size())) return std::u16string();
    return std::u16string(s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}
inline std::int64_t Pos(std::u16string_view needle, std::u16string_view s) {
    if (needle.empty()) return 0;
    size_t p = s.find(needle);
    return p == std::u16string_view::npos ? 0 : static_cast<std::int64_t>(p) + 1;
}
inline constexpr std::int64_t kRest = std::numeric_limits<std::int64_t>::max();

inline std::u16string RefGet(std::u16string s, std::u16string_view sep, std::int64_t p) {
    std::int64_t count = 1, found = static_cast<std::int64_t>(s.size());
    std::u16string token;
    while (count <= p && found != 0) {
        found = Pos(sep, s);
        if (found != 0) {
            token = Copy(s, 1, found - 1);
            s = Copy(s, found + 1, kRest);
            ++count;
        } else {
            token = s;
        }
    }
    return count < p ? std::u16string() : token;
}
inline std::int64_t RefCount(std::u16string_view s, std::u16string_view sep) {
    std::int64_t n = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (s.substr(i, 1) == sep) ++n;
    return n;
}
inline std::int64_t RefLen(std::u16string_view s, std::u16string_view sep, std::int64_t k) {
    return static_cast<std::int64_t>(RefGet(std::u16string(s), sep, k).size());
}
inline std::int64_t RefBefore(std::u16string_view s, std::u16string_view sep, std::int64_t p) {
    std::int64_t a = 0;
    for (std::int64_t k = 1; k < p; ++k) a += RefLen(s, sep, k) + 1;
    return a;
}
inline std::u16string RefDelete(std::u16string_view s, std::u16string_view sep, std::int64_t p) {
    const std::int64_t n = RefCount(s, sep);
    if (p > n + 1) return std::u16string(s);
    if (p <= 0) return std::u16string();
    if (p == 1) return Copy(s, RefLen(s, sep, 1) + 2, kRest);
    const std::int64_t a = RefBefore(s, sep, p), b = a + RefLen(s, sep, p) + 1;
    return Copy(s, 1, a - (p == n + 1 ? 1 : 0)) + Copy(s, b + 1, kRest);
}
inline std::u16string RefInsert(std::u16string_view s, std::u16string_view sep, std::int64_t p, std::u16string_view t) {
    const std::int64_t n = RefCount(s, sep);
    if (p > n + 1) return std::u16string(s) + std::u16string(sep) + std::u16string(t);
    if (p <= 0) return std::u16string();
    if (p == 1) return std::u16string(t) + std::u16string(sep) + std::u16string(s);
    const std::int64_t a = RefBefore(s, sep, p);
    return Copy(s, 1, a) + std::u16string(t) + Copy(s, a, kRest);
}
inline std::u16string RefSet(std::u16string_view s, std::u16string_view sep, std::int64_t p, std::u16string_view t) {
    const std::int64_t n = RefCount(s, sep);
    if (p > n + 1) return std::u16string(s) + std::u16string(sep) + std::u16string(t);
    if (p <= 0) return std::u16string();
    if (p == 1) return std::u16string(t) + Copy(s, RefLen(s, sep, 1) + 1, kRest);
    const std::int64_t a = RefBefore(s, sep, p), b = a + RefLen(s, sep, p) + 1;
    return Copy(s, 1, a) + std::u16string(t) + Copy(s, b, kRest);
}

}  // namespace zunda::text::stepwise
