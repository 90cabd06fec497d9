// Conversions shared by the text classes' COM members.
#pragma once

#include "server/win/com_util.h"
#include "text/core/strutils.h"

#include <string>
#include <string_view>

namespace zunda {

// A character-pointer argument: its first character, none for a null
// pointer or an empty string.
inline text::OptChar FirstChar(const wchar_t* p) {
    if (!p || !*p) return std::nullopt;
    return static_cast<char16_t>(*p);
}

}  // namespace zunda
