// Whether a name (file name, path, drive letter) survived its conversion to
// the system's 8-bit code page unchanged. A character the code page lacks
// must never turn into a look-alike ("\" for a fullwidth backslash, "*" for a
// fullwidth star) or a "?" that the file calls read as a wildcard, and a NUL
// inside would end the name early: such names act on other files, so they
// are refused.
#pragma once

#include <string>
#include <string_view>

namespace zunda {

// original: the caller's UTF-16 text; readBack: the 8-bit result converted
// back to UTF-16; usedDefault: the conversion had to use the default character.
bool ConvertedExactly(std::u16string_view original, std::u16string_view readBack, bool usedDefault);

// The message for a refused name; `shown` is the name as well as it can be shown.
std::string InexactNameMessage(std::string_view shown);

}  // namespace zunda
