// Conversions shared by the text classes' COM members.
#pragma once

#include "server/win/com_util.h"
#include "text/core/strutils.h"

#include <new>
#include <string>
#include <string_view>

namespace zunda {

// A character-pointer argument: its first character, none for a null
// pointer or an empty string.
inline text::OptChar FirstChar(const wchar_t* p) {
    if (!p || !*p) return std::nullopt;
    return static_cast<char16_t>(*p);
}

inline std::u16string_view U16View(BSTR s) {
    return s ? std::u16string_view(reinterpret_cast<const char16_t*>(s), SysStringLen(s)) : std::u16string_view();
}

// A new BSTR for a result; a failed allocation is a failure, not an empty result.
inline BSTR NewBstr(std::u16string_view text) {
    BSTR out = U16ToBstr(text);
    if (!out) throw std::bad_alloc();
    return out;
}
inline BSTR NewAnsiBstr(std::string_view text) {
    BSTR out = AnsiToBstr(text);
    if (!out) throw std::bad_alloc();
    return out;
}

}  // namespace zunda
