// Text tests and edits behind MxStrUtils: character classes, whole-string
// tests, edits on UTF-16 text, and the 8-bit cuts at a symbol with the
// case-insensitive replacement built on them.
#pragma once

#include "text/core/locale.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zunda::text {

// A character argument: none when the caller passed no character (a null
// pointer or an empty string).
using OptChar = std::optional<char16_t>;

// Values of TYP_String.
enum class StringType : std::int32_t { Alpha = 0, Alphanum = 1, Number = 2, Unknown = 3 };

// ---------------------------------------------------------------- conversions

// "TRUE", "JA", "WAHR", "1" (ASCII case ignored, blanks and controls around
// ignored) are true; everything else is false.
bool StrToBool(std::string_view text);
std::string BoolToStr(bool value);

// ---------------------------------------------------------------- character classes

// Classifies characters through the code-page byte they stand for; a
// character the code page cannot hold as one byte is in no class.
class CharClasses {
public:
    explicit CharClasses(const Locale& locale);

    bool IsAlpha(char16_t c) const;
    bool IsDigit(char16_t c) const;
    bool IsAlphaNum(char16_t c) const { return IsAlpha(c) || IsDigit(c); }
    // A digit, "-", "+", ".", ",", the decimal separator or the blank.
    bool IsNumber(char16_t c) const;
    // One of the 34 sign characters (given as bytes of the code page).
    bool IsSign(char16_t c) const;

private:
    std::uint16_t Flags(char16_t c) const;
    const Locale& locale_;
    std::u16string signs_;
    std::optional<char16_t> decimal_;
};

bool CharIsAlpha(const Locale& locale, OptChar c);
bool CharIsAlphaNum(const Locale& locale, OptChar c);
bool CharIsNumber(const Locale& locale, OptChar c);
bool CharIsSign(const Locale& locale, OptChar c);

// ---------------------------------------------------------------- whole-string tests

bool StrIsAlpha(const Locale& locale, std::u16string_view text);
bool StrIsAlphaNum(const Locale& locale, std::u16string_view text);
bool StrIsNumber(const Locale& locale, std::u16string_view text);
StringType StrIsTyp(const Locale& locale, std::u16string_view text);

// ---------------------------------------------------------------- edits (UTF-16)

std::u16string StrAddChar(std::u16string_view text, OptChar c);
// No target character deletes the source character.
std::u16string StrReplace(std::u16string_view text, OptChar from, OptChar to);
// Whether any one character of `search` occurs in `text`.
bool StrContains(std::u16string_view search, std::u16string_view text);
std::u16string StrDeleteChar(std::u16string_view text, OptChar c);
// 1-based position of the last occurrence, 0 when absent.
std::int32_t StrLastPos(OptChar c, std::u16string_view text);
std::u16string StrLeft(std::u16string_view text, std::int32_t length);
std::u16string StrRight(std::u16string_view text, std::int32_t length);
std::u16string StrTrimLeftEx(std::u16string_view text, std::u16string_view separator);
std::u16string StrTrimRightEx(std::u16string_view text, std::u16string_view separator);
std::u16string StrTrimEx(std::u16string_view text, std::u16string_view separator);
std::u16string StrTrimNull(std::u16string_view text);
bool StrBetween(std::u16string_view text, std::u16string_view from, std::u16string_view to);
std::u16string StrDelete(std::u16string_view text, std::u16string_view remove);

// ---------------------------------------------------------------- cuts at a symbol (8-bit)

// The text before the first occurrence of the symbol (blanks around text and
// symbol and letter case ignored in the search); the whole text without it.
std::string Copy2Symb(const Locale& locale, std::string_view text, std::string_view symbol);
// The text after the first occurrence of the symbol; the whole text without it.
std::string CopyAfterSymb(const Locale& locale, std::string_view text, std::string_view symbol);
// Case-insensitive replacement of `from` by `to`: once when `to` is not
// empty, every occurrence when it is; nothing when the text already holds `to`.
std::string StrReplaceEx(const Locale& locale, std::string_view text, std::string_view from, std::string_view to);

}  // namespace zunda::text
