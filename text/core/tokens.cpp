#include "text/core/tokens.h"

#include <algorithm>

namespace zunda::text {
namespace {

// Walks the tokens of a text the way StrGetToken reads them: a token ends at
// the next occurrence of the separator, and reading goes on one character
// after that occurrence's start.
class TokenWalk {
public:
    TokenWalk(std::u16string_view text, std::u16string_view separator) : text_(text), sep_(separator) {}

    // Advances to the next token; false once the last token has been read.
    bool Next() {
        if (done_) return false;
        size_t found = sep_.empty() ? std::u16string_view::npos : text_.find(sep_, pos_);
        start_ = pos_;
        if (found == std::u16string_view::npos) {
            length_ = text_.size() - pos_;
            done_ = true;
        } else {
            length_ = found - pos_;
            pos_ = found + 1;
        }
        return true;
    }
    size_t Start() const { return start_; }
    size_t Length() const { return length_; }

private:
    std::u16string_view text_;
    std::u16string_view sep_;
    size_t pos_ = 0;
    size_t start_ = 0;
    size_t length_ = 0;
    bool done_ = false;
};

// Lengths the position functions need: a = the sum of (length + 1) over the
// tokens before `position`, and the length of token `position` itself
// (0 for tokens past the end).
struct Span {
    size_t before = 0;
    size_t length = 0;
};

Span SpanOf(std::u16string_view text, std::u16string_view separator, std::int32_t position) {
    Span span;
    TokenWalk walk(text, separator);
    for (std::int32_t k = 1; k <= position; ++k) {
        size_t len = 0;
        if (walk.Next()) len = walk.Length();
        if (k < position)
            span.before += len + 1;
        else
            span.length = len;
    }
    return span;
}

// Characters of `text` from 0-based index `from` to the end (none past the end).
std::u16string_view Tail(std::u16string_view text, size_t from) {
    return from >= text.size() ? std::u16string_view() : text.substr(from);
}
std::u16string_view Head(std::u16string_view text, size_t count) { return text.substr(0, std::min(count, text.size())); }

std::u16string Join(std::u16string_view a, std::u16string_view b, std::u16string_view c) {
    std::u16string out;
    out.reserve(a.size() + b.size() + c.size());
    out.append(a).append(b).append(c);
    return out;
}

}  // namespace

std::int32_t StrHowManyToken(std::u16string_view text, std::u16string_view separator) {
    if (separator.size() != 1) return 0;
    return static_cast<std::int32_t>(std::count(text.begin(), text.end(), separator[0]));
}

bool StrTokenExists(std::u16string_view text, std::u16string_view separator) {
    return separator.size() == 1 && text.find(separator[0]) != std::u16string_view::npos;
}

std::u16string StrGetToken(std::u16string_view text, std::u16string_view separator, std::int32_t position) {
    if (position < 1 || text.empty()) return std::u16string();
    TokenWalk walk(text, separator);
    for (std::int32_t k = 1; k <= position; ++k)
        if (!walk.Next()) return std::u16string();
    return std::u16string(text.substr(walk.Start(), walk.Length()));
}

std::u16string StrDeleteToken(std::u16string_view text, std::u16string_view separator, std::int32_t position) {
    const std::int64_t n = StrHowManyToken(text, separator);
    if (position > n + 1) return std::u16string(text);
    if (position <= 0) return std::u16string();
    Span span = SpanOf(text, separator, position);
    if (position == 1) return std::u16string(Tail(text, span.length + 1));
    const size_t b = span.before + span.length + 1;
    const size_t last = position == n + 1 ? 1 : 0;
    return Join(Head(text, span.before - last), Tail(text, b), {});
}

std::u16string StrInsertToken(std::u16string_view text, std::u16string_view separator, std::int32_t position,
                              std::u16string_view insert) {
    const std::int64_t n = StrHowManyToken(text, separator);
    if (position > n + 1) return Join(text, separator, insert);
    if (position <= 0) return std::u16string();
    if (position == 1) return Join(insert, separator, text);
    Span span = SpanOf(text, separator, position);
    // The separator before the token (at index before - 1) follows the new text too.
    return Join(Head(text, span.before), insert, Tail(text, span.before - 1));
}

std::u16string StrSetToken(std::u16string_view text, std::u16string_view separator, std::int32_t position,
                           std::u16string_view replacement) {
    const std::int64_t n = StrHowManyToken(text, separator);
    if (position > n + 1) return Join(text, separator, replacement);
    if (position <= 0) return std::u16string();
    Span span = SpanOf(text, separator, position);
    if (position == 1) return Join(replacement, Tail(text, span.length), {});
    const size_t b = span.before + span.length + 1;
    return Join(Head(text, span.before), replacement, Tail(text, b - 1));
}

}  // namespace zunda::text
