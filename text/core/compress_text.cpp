#include "text/core/compress_text.h"

#include "server/core/failure.h"
#include "text/core/basecrypt.h"
#include "text/core/lh5.h"

namespace zunda::text {
namespace {

// Whether every byte comes back unchanged through the code page's characters.
bool BytesRoundTrip(const Locale& locale) {
    if (!locale.SingleByteCodePage()) return false;
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b) all[static_cast<size_t>(b)] = static_cast<char>(b);
    std::u16string chars = locale.FromAnsi(all);
    return chars.size() == all.size() && locale.ToAnsi(chars) == all;
}

std::u16string BytesToText(const Locale& locale, std::string_view bytes) {
    if (BytesRoundTrip(locale)) return locale.FromAnsi(bytes);
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) out.push_back(static_cast<unsigned char>(c));
    return out;
}

std::string TextToBytes(const Locale& locale, std::u16string_view text) {
    if (BytesRoundTrip(locale)) return locale.ToAnsi(text);
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0xFF) throw Failure("The compressed text holds a character that stands for no byte.");
        out.push_back(static_cast<char>(c));
    }
    return out;
}

}  // namespace

std::u16string CompressText(const Locale& locale, std::u16string_view text, bool crypt) {
    std::string packed = lh5::Compress(locale.ToAnsi(text));
    if (!crypt) return BytesToText(locale, packed);
    std::string encoded = basecrypt::Encode(packed);
    return std::u16string(encoded.begin(), encoded.end());
}

std::u16string DecompressText(const Locale& locale, std::u16string_view text, bool crypt) {
    std::string packed = crypt ? basecrypt::Decode(locale.ToAnsi(text)) : TextToBytes(locale, text);
    return locale.FromAnsi(lh5::Decompress(packed));
}

}  // namespace zunda::text
