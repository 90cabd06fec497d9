#include "text/core/basecrypt.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace zunda::basecrypt {
namespace {

constexpr std::uint8_t kOutside = 128;

constexpr std::array<std::uint8_t, 256> MakeReverse() {
    std::array<std::uint8_t, 256> table{};
    for (auto& v : table) v = kOutside;
    for (std::size_t i = 0; i < kAlphabet.size(); ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    return table;
}

constexpr std::array<std::uint8_t, 256> kReverse = MakeReverse();

static_assert(kAlphabet.size() == 64);

}  // namespace

std::string Encode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 3 * 4 + 5);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - at);
        unsigned header = 0;
        for (std::size_t k = 0; k < n; ++k)
            header |= (static_cast<unsigned char>(bytes[at + k]) & 0xC0u) >> (2 * (k + 1));
        out += kAlphabet[header];
        for (std::size_t k = 0; k < n; ++k) out += kAlphabet[static_cast<unsigned char>(bytes[at + k]) & 0x3Fu];
    }
    out += '.';
    return out;
}

std::string Decode(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 2);
    unsigned header = 0;
    unsigned k = 0;
    for (char ch : text) {
        if (ch == '.') break;
        const unsigned index = kReverse[static_cast<unsigned char>(ch)];
        if (k == 0) {
            header = index;
        } else {
            out += static_cast<char>(((header << (2 * k)) & 0xC0u) | index);
        }
        k = (k + 1) & 3;
    }
    return out;
}

}  // namespace zunda::basecrypt
