// StrCompress and StrDeCompress: a text packed into the compressed byte
// string and carried either as printable text (crypt) or as raw bytes.
#pragma once

#include "text/core/locale.h"

#include <string>
#include <string_view>

namespace zunda::text {

// The text goes through the code page as 8-bit text first. The raw form
// carries each byte as the code page's character for it; where the code page
// cannot carry every byte and back (multi-byte code pages, code pages with
// holes), byte b is carried as character U+00bb instead.
std::u16string CompressText(const Locale& locale, std::u16string_view text, bool crypt);
// Throws Failure for a damaged or foreign text.
std::u16string DecompressText(const Locale& locale, std::u16string_view text, bool crypt);

}  // namespace zunda::text
