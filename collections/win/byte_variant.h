// The string list's variant form: a one-dimensional byte array
// (VT_ARRAY | VT_UI1, lower bound 0) holding the list's text.
#pragma once

#include "server/win/com_util.h"

#include <string>
#include <string_view>

namespace zunda {

// The bytes of a byte-array variant, also when it is passed by reference.
// Throws Failure for any other variant.
std::string BytesOfVariant(const VARIANT& value);

// A new byte array holding the bytes (an empty one has upper bound -1).
SAFEARRAY* NewByteArray(std::string_view bytes);

}  // namespace zunda
