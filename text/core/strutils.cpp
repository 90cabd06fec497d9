#include "text/core/strutils.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace zunda::text {
namespace {

// The sign characters as bytes of code page 1252; other code pages see
// whatever their own bytes of these values stand for.
constexpr unsigned char kSignBytes[] = {94,  176, 33, 34, 167, 37, 38, 47, 40, 41, 61, 63,  96, 123, 91, 93, 125,
                                        92,  223, 180, 42, 43, 126, 39, 35, 45, 95, 58, 46, 59, 44, 128, 64, 36};

constexpr char16_t kBlank = u' ';

// Blanks and control characters, the ones Trim removes.
bool IsTrimmed(unsigned char c) { return c <= 32; }

std::string_view Trim(std::string_view s, size_t* lead = nullptr) {
    size_t b = 0, e = s.size();
    while (b < e && IsTrimmed(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsTrimmed(static_cast<unsigned char>(s[e - 1]))) --e;
    if (lead) *lead = b;
    return s.substr(b, e - b);
}

std::u16string_view Trim16(std::u16string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] <= 32) ++b;
    while (e > b && s[e - 1] <= 32) --e;
    return s.substr(b, e - b);
}

// 1-based position of the first occurrence, 0 when absent; an empty needle is found nowhere.
template <class View>
size_t Pos(View needle, View haystack) {
    if (needle.empty()) return 0;
    size_t p = haystack.find(needle);
    return p == View::npos ? 0 : p + 1;
}

// Reads a text one character at a time and tells when the characters read
// so far end with the pattern (prefix-function automaton). The state is the
// length of the longest pattern prefix that ends the text read so far; a
// caller that takes characters back restores the state it had kept there.
template <class Char>
class Matcher {
public:
    explicit Matcher(std::basic_string_view<Char> pattern) : p_(pattern), border_(pattern.size() + 1, 0) {
        for (size_t i = 1; i < p_.size(); ++i) {
            size_t k = border_[i];
            while (k > 0 && p_[i] != p_[k]) k = border_[k];
            if (p_[i] == p_[k]) ++k;
            border_[i + 1] = k;
        }
    }
    size_t Full() const { return p_.size(); }
    size_t Next(size_t state, Char c) const {
        if (state == p_.size()) state = border_[state];
        while (state > 0 && p_[state] != c) state = border_[state];
        if (p_[state] == c) ++state;
        return state;
    }

private:
    std::basic_string_view<Char> p_;
    std::vector<size_t> border_;
};

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Position of the trimmed, upper-cased symbol in the trimmed, upper-cased
// text, counted in the given text (the blanks trimmed off its front are
// added back); 0 when absent. `symbolLength` gets the trimmed symbol's length.
size_t SymbolPos(const Locale& locale, std::string_view text, std::string_view symbol, size_t* symbolLength) {
    size_t lead = 0;
    std::string_view t = Trim(text, &lead);
    std::string_view s = Trim(symbol);
    *symbolLength = s.size();
    std::string ut = locale.UpperCase(t);
    std::string us = locale.UpperCase(s);
    size_t p = Pos<std::string_view>(us, ut);
    return p == 0 ? 0 : p + lead;
}

}  // namespace

// ---------------------------------------------------------------- conversions

bool StrToBool(std::string_view text) {
    std::string t = AsciiUpper(Trim(text));
    return t == "TRUE" || t == "JA" || t == "WAHR" || t == "1";
}

std::string BoolToStr(bool value) { return value ? "TRUE" : "FALSE"; }

// ---------------------------------------------------------------- character classes

CharClasses::CharClasses(const Locale& locale) : locale_(locale) {
    for (unsigned char b : kSignBytes) {
        std::u16string c = locale.FromAnsi(std::string_view(reinterpret_cast<const char*>(&b), 1));
        if (c.size() == 1) signs_.push_back(c[0]);
    }
    std::u16string sep = locale.FromAnsi(locale.DecimalSeparator());
    if (sep.size() == 1) decimal_ = sep[0];
}

std::uint16_t CharClasses::Flags(char16_t c) const {
    std::optional<unsigned char> b = locale_.ToByte(c);
    return b ? locale_.ByteClass(*b) : 0;
}

bool CharClasses::IsAlpha(char16_t c) const { return (Flags(c) & kAlpha) != 0; }
bool CharClasses::IsDigit(char16_t c) const { return (Flags(c) & kDigit) != 0; }

bool CharClasses::IsNumber(char16_t c) const {
    if (c == u'-' || c == u'+' || c == u'.' || c == u',' || c == kBlank) return true;
    if (decimal_ && c == *decimal_) return true;
    return IsDigit(c);
}

bool CharClasses::IsSign(char16_t c) const { return signs_.find(c) != std::u16string::npos; }

bool CharIsAlpha(const Locale& locale, OptChar c) { return c && CharClasses(locale).IsAlpha(*c); }
bool CharIsAlphaNum(const Locale& locale, OptChar c) { return c && CharClasses(locale).IsAlphaNum(*c); }
bool CharIsNumber(const Locale& locale, OptChar c) { return c && CharClasses(locale).IsNumber(*c); }
bool CharIsSign(const Locale& locale, OptChar c) { return c && CharClasses(locale).IsSign(*c); }

// ---------------------------------------------------------------- whole-string tests

bool StrIsAlpha(const Locale& locale, std::u16string_view text) {
    if (text.empty()) return false;
    CharClasses cc(locale);
    return std::all_of(text.begin(), text.end(),
                       [&](char16_t c) { return cc.IsAlpha(c) || c == kBlank || cc.IsSign(c); });
}

bool StrIsAlphaNum(const Locale& locale, std::u16string_view text) {
    CharClasses cc(locale);
    bool alpha = false, digit = false;
    for (char16_t c : text) {
        if (c == kBlank) continue;
        if (cc.IsAlpha(c)) alpha = true;
        if (cc.IsNumber(c) && !cc.IsSign(c)) digit = true;
        if (alpha && digit) return true;
    }
    return false;
}

bool StrIsNumber(const Locale& locale, std::u16string_view text) {
    if (text.empty()) return false;
    CharClasses cc(locale);
    return std::all_of(text.begin(), text.end(), [&](char16_t c) { return cc.IsNumber(c); });
}

StringType StrIsTyp(const Locale& locale, std::u16string_view text) {
    const bool a = StrIsAlpha(locale, text);
    const bool n = StrIsAlphaNum(locale, text);
    const bool d = StrIsNumber(locale, text);
    if (a && n && d) return StringType::Alphanum;
    if (a && !n) return StringType::Alpha;
    if (d) return StringType::Number;
    if (n) return StringType::Alphanum;
    return StringType::Unknown;
}

// ---------------------------------------------------------------- edits

std::u16string StrAddChar(std::u16string_view text, OptChar c) {
    if (!c || text.empty() || Trim16(text).empty()) return std::u16string(text);
    const bool first = text.front() == *c;
    const bool last = text.back() == *c;
    std::u16string out;
    out.reserve(text.size() + 2);
    if (!first) out.push_back(*c);
    out.append(text);
    if (!last) out.push_back(*c);
    return out;
}

std::u16string StrReplace(std::u16string_view text, OptChar from, OptChar to) {
    if (!from || from == to) return std::u16string(text);
    if (!to) return StrDeleteChar(text, from);
    std::u16string out(text);
    std::replace(out.begin(), out.end(), *from, *to);
    return out;
}

bool StrContains(std::u16string_view search, std::u16string_view text) {
    if (search.empty() || text.empty()) return false;
    if (search.size() <= 16) return text.find_first_of(search) != std::u16string_view::npos;
    // One pass over each text: the search characters as a set of all 65,536.
    std::vector<bool> wanted(0x10000, false);
    for (char16_t c : search) wanted[c] = true;
    for (char16_t c : text)
        if (wanted[c]) return true;
    return false;
}

std::u16string StrDeleteChar(std::u16string_view text, OptChar c) {
    std::u16string out(text);
    if (c) out.erase(std::remove(out.begin(), out.end(), *c), out.end());
    return out;
}

std::int32_t StrLastPos(OptChar c, std::u16string_view text) {
    if (!c) return 0;
    size_t p = text.rfind(*c);
    return p == std::u16string_view::npos ? 0 : static_cast<std::int32_t>(p + 1);
}

std::u16string StrLeft(std::u16string_view text, std::int32_t length) {
    if (length < 1 || static_cast<size_t>(length) > text.size()) return std::u16string();
    return std::u16string(text.substr(0, static_cast<size_t>(length)));
}

std::u16string StrRight(std::u16string_view text, std::int32_t length) {
    if (length < 1 || static_cast<size_t>(length) > text.size()) return std::u16string();
    return std::u16string(text.substr(text.size() - static_cast<size_t>(length)));
}

std::u16string StrTrimLeftEx(std::u16string_view text, std::u16string_view separator) {
    // One character comes off the front for every step at which the text
    // starts with the separator, at most as many steps as the text is long.
    std::u16string_view w = text;
    if (!separator.empty())
        for (size_t step = 0; step < text.size() && !w.empty(); ++step) {
            if (w.substr(0, separator.size()) != separator) break;
            w.remove_prefix(1);
        }
    return std::u16string(w.empty() ? text : w);
}

std::u16string StrTrimRightEx(std::u16string_view text, std::u16string_view separator) {
    // Walking the positions from the end towards the front, the text is cut
    // where the separator first occurs; after that cut the separator no
    // longer occurs, so the walk comes down to one cut at the first occurrence.
    size_t p = Pos(separator, text);
    if (p <= 1) return std::u16string(text);  // absent, or a cut that would leave nothing
    return std::u16string(text.substr(0, p - 1));
}

std::u16string StrTrimEx(std::u16string_view text, std::u16string_view separator) {
    return StrTrimRightEx(StrTrimLeftEx(text, separator), separator);
}

std::u16string StrTrimNull(std::u16string_view text) { return StrTrimLeftEx(StrTrimEx(text, u" "), u"0"); }

bool StrBetween(std::u16string_view text, std::u16string_view from, std::u16string_view to) {
    return from.compare(text) <= 0 && text.compare(to) <= 0;
}

std::u16string StrDelete(std::u16string_view text, std::u16string_view remove) {
    // Removes the first character of the first occurrence, over and over,
    // until none is left. Read in one pass: the result so far holds no
    // occurrence, so the first one ends at the character just read. Its first
    // character goes and the rest of it is read again, as a new occurrence
    // may start inside it.
    if (remove.empty() || remove.size() > text.size()) return std::u16string(text);
    const Matcher<char16_t> match(remove);
    std::u16string out;
    std::vector<size_t> states;  // the matcher's state after each character of out
    out.reserve(text.size());
    states.reserve(text.size());
    std::u16string again;  // characters to read before the rest of the text, the next one last
    size_t next = 0;
    while (next < text.size() || !again.empty()) {
        char16_t c;
        if (!again.empty()) {
            c = again.back();
            again.pop_back();
        } else {
            c = text[next++];
        }
        const size_t state = match.Next(states.empty() ? 0 : states.back(), c);
        out.push_back(c);
        states.push_back(state);
        if (state == match.Full()) {
            const size_t start = out.size() - remove.size();
            for (size_t k = out.size() - 1; k > start; --k) again.push_back(out[k]);
            out.resize(start);
            states.resize(start);
        }
    }
    return out;
}

// ---------------------------------------------------------------- cuts at a symbol

std::string Copy2Symb(const Locale& locale, std::string_view text, std::string_view symbol) {
    size_t symbolLength = 0;
    size_t p = SymbolPos(locale, text, symbol, &symbolLength);
    if (p == 0) return std::string(text);
    return std::string(text.substr(0, p - 1));
}

std::string CopyAfterSymb(const Locale& locale, std::string_view text, std::string_view symbol) {
    size_t symbolLength = 0;
    size_t p = SymbolPos(locale, text, symbol, &symbolLength);
    if (p == 0) return std::string(text);
    size_t start = p - 1 + symbolLength;
    return start >= text.size() ? std::string() : std::string(text.substr(start));
}

namespace {

// Replaces the first occurrence of `upperFrom` in the upper-case view of the
// text by `to`, over and over, at most `limit` times, in one pass: the result
// so far holds no occurrence, so the first one ends at the character just
// read; the replacement is read again, as a new occurrence may run through it.
std::string ReplaceRepeatedly(std::string_view text, std::string_view upperText, std::string_view upperFrom,
                              std::string_view to, std::string_view upperTo, size_t limit) {
    const Matcher<char> match(upperFrom);
    std::string out;
    std::vector<size_t> states;
    out.reserve(text.size());
    states.reserve(text.size());
    std::vector<std::pair<char, char>> again;  // (character, upper case), the next one last
    size_t next = 0, replaced = 0;
    while (next < text.size() || !again.empty()) {
        char c, u;
        if (!again.empty()) {
            c = again.back().first;
            u = again.back().second;
            again.pop_back();
        } else {
            c = text[next];
            u = upperText[next];
            ++next;
        }
        const size_t state = match.Next(states.empty() ? 0 : states.back(), u);
        out.push_back(c);
        states.push_back(state);
        if (state != match.Full()) continue;
        const size_t start = out.size() - upperFrom.size();
        out.resize(start);
        states.resize(start);
        if (++replaced == limit) {
            out.append(to);
            for (auto it = again.rbegin(); it != again.rend(); ++it) out.push_back(it->first);
            out.append(text.substr(next));
            return out;
        }
        for (size_t k = to.size(); k-- > 0;) again.emplace_back(to[k], upperTo[k]);
    }
    return out;
}

}  // namespace

std::string StrReplaceEx(const Locale& locale, std::string_view text, std::string_view from, std::string_view to) {
    const std::string f = locale.UpperCase(Trim(from));
    const std::string t = locale.UpperCase(Trim(to));
    // With a replacement of blanks only (or none), every occurrence goes. An
    // occurrence starts and ends with a character that is no blank, so it
    // lies inside the trimmed text wherever it is found; the search runs over
    // the upper case of the whole text, read once, when upper-casing keeps
    // every character in its place (single-byte code pages).
    if (t.empty() && !f.empty()) {
        const std::string upperText = locale.UpperCase(text);
        const std::string upperTo = locale.UpperCase(to);
        if (upperText.size() == text.size() && upperTo.size() == to.size() && f.size() == Trim(from).size())
            return ReplaceRepeatedly(text, upperText, f, to, upperTo, text.size() + 1);
    }
    // Otherwise step by step; a replacement that is not blank is made at most
    // once, as the text then holds it.
    std::string cur(text);
    auto holdsFrom = [&](const std::string& upper) { return Pos<std::string_view>(f, upper) != 0; };
    auto proceed = [&](const std::string& upper) { return holdsFrom(upper) && Pos<std::string_view>(t, upper) == 0; };
    std::string upper = locale.UpperCase(Trim(cur));
    size_t counter = 0;
    while (proceed(upper)) {
        cur = Copy2Symb(locale, cur, from) + std::string(to) + CopyAfterSymb(locale, cur, from);
        upper = locale.UpperCase(Trim(cur));
        if (++counter > text.size()) break;
    }
    return cur;
}

}  // namespace zunda::text
