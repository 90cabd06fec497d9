// Byte-array variants: a one-dimensional byte array (VT_ARRAY | VT_UI1,
// lower bound 0): how the string list hands its text to clients, and how
// clients pass bytes to the string list and the file utilities.
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
