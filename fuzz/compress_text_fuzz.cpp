// libFuzzer target for the text encodings of StrDeCompress: the printable
// form (the 64-character alphabet) and the raw form (a character per byte,
// through the code page or widened) of the compressed string, decoded from
// whatever a client passes, with the encoder as the round trip.
//
// Input: a flags byte (printable or raw, single- or multi-byte code page,
// text as UTF-16 pairs or as 8-bit characters), then the text.
#include "fuzz/fuzz_support.h"
#include "server/core/failure.h"
#include "tests/support/cp1252_locale.h"
#include "text/core/basecrypt.h"
#include "text/core/compress_text.h"

namespace {

using zunda::fuzz::Check;

// Decoded lengths above this are left alone: a stream of codes that take no
// bits expands a dozen bytes to many megabytes.
constexpr std::uint32_t kMaxLength = 256u << 10;
// Decoded texts up to this length are compressed again (a few milliseconds
// each at most), to check that they come back.
constexpr std::size_t kRoundTripLength = 16u << 10;

std::uint32_t LengthOf(const std::string& packed) {
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(packed[static_cast<std::size_t>(i)]);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zunda::fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const bool crypt = flags & 1;
    zunda::test::Cp1252Locale locale;
    locale.singleByte = !(flags & 2);
    std::u16string text;
    const std::string raw = in.Rest();
    if (flags & 4) {
        for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(raw[i]) | static_cast<unsigned char>(raw[i + 1]) << 8));
    } else {
        for (char c : raw) text.push_back(static_cast<unsigned char>(c));
    }

    // The printable form's decoder alone: never more than 3 bytes per 4 characters.
    const std::string ansi = locale.ToAnsi(text);
    const std::string decoded = zunda::basecrypt::Decode(ansi);
    Check(decoded.size() * 4 <= ansi.size() * 3, "printable form decodes to too many bytes");
    Check(zunda::basecrypt::Decode(zunda::basecrypt::Encode(decoded)) == decoded, "printable form round trip");

    // The bytes DecompressText will see, to keep the announced length in bounds.
    std::string packed;
    if (crypt) {
        packed = decoded;
    } else if (locale.singleByte) {
        packed = ansi;
    } else {
        for (char16_t c : text) packed.push_back(static_cast<char>(c & 0xFF));
    }
    if (packed.size() >= 4 && LengthOf(packed) > kMaxLength) return 0;

    std::u16string plain;
    bool failed = false;
    try {
        plain = zunda::text::DecompressText(locale, text, crypt);
    } catch (const zunda::Failure&) {
        failed = true;
    }
    if (!failed) {
        Check(packed.size() >= 4 && plain.size() == LengthOf(packed), "decoded text differs from its length header");
        if (plain.size() <= kRoundTripLength)
            Check(zunda::text::DecompressText(locale, zunda::text::CompressText(locale, plain, crypt), crypt) == plain,
                  "decoded text does not round-trip");
    }

    // Any text compresses and comes back as the code page holds it (short
    // ones: the encoder has its own target, this checks the forms around it).
    if (text.size() <= 512) {
        const std::u16string expected = locale.FromAnsi(ansi);
        Check(zunda::text::DecompressText(locale, zunda::text::CompressText(locale, text, crypt), crypt) == expected,
              "text does not round-trip");
    }
    return 0;
}
