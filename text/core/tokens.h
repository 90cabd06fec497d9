// Token functions: a text read as a row of tokens divided by a separator
// character, positions counted from 1. Each function makes one pass over the
// text, so its cost grows with the text's length, not with its square.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zunda::text {

// Number of characters equal to the separator (a separator of any other
// length than one character is never counted).
std::int32_t StrHowManyToken(std::u16string_view text, std::u16string_view separator);
bool StrTokenExists(std::u16string_view text, std::u16string_view separator);

// Token `position`; empty for a position outside the text. After each token
// only the separator's first character is consumed, so the rest of a longer
// separator leads the next token.
std::u16string StrGetToken(std::u16string_view text, std::u16string_view separator, std::int32_t position);
std::u16string StrDeleteToken(std::u16string_view text, std::u16string_view separator, std::int32_t position);
std::u16string StrInsertToken(std::u16string_view text, std::u16string_view separator, std::int32_t position,
                              std::u16string_view insert);
std::u16string StrSetToken(std::u16string_view text, std::u16string_view separator, std::int32_t position,
                           std::u16string_view replacement);

}  // namespace zunda::text
