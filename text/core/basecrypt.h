// The printable form of a compressed string: every 3 bytes become 4
// characters of a 64-character alphabet, and "." ends the text.
//
// Each group of up to three bytes is written as a header character that
// holds the top two bits of every byte of the group (first byte highest),
// then one character per byte for its low six bits. A last group of one or
// two bytes is written the same way with the bytes it has.
#pragma once

#include <string>
#include <string_view>

namespace zunda::basecrypt {

// The 64 characters, index 0 to 63.
inline constexpr std::string_view kAlphabet = "QWERTYUPASDFGHJKLZXCVBNMqwertyuipasdfghjkzxcvbnm23456789!$()=?/:";

// The encoded text, always ending with exactly one ".".
std::string Encode(std::string_view bytes);

// Decodes up to the first "." or the end of text. A character outside the
// alphabet counts as the value 128 (it sets the top bit of its byte and
// clears the header bits it would carry); this never fails.
std::string Decode(std::string_view text);

}  // namespace zunda::basecrypt
