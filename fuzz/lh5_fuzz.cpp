// libFuzzer target for the compressed-string codecs: lh5::Decompress and
// basecrypt::Decode on arbitrary bytes, and round trips of the fuzz input
// through both encoders.
//
// Built with -DLH5_FUZZ_SEEDS instead, this file is a small program that
// writes a seed corpus of valid streams into the folder it is given.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "server/core/failure.h"
#include "text/core/basecrypt.h"
#include "text/core/lh5.h"

namespace {

// Larger announced lengths are folded below this, so that a valid stream of
// codes that take no bits (16 MiB from a dozen bytes) cannot ask for more
// memory than the fuzzer allows.
constexpr std::uint32_t kMaxLength = 1u << 20;

using zunda::fuzz::Check;

std::uint32_t LengthOf(const std::string& s) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

void DecompressAnything(std::string stream) {
    if (stream.size() >= 4 && LengthOf(stream) > kMaxLength) {
        const std::uint32_t n = LengthOf(stream) % kMaxLength;
        for (int i = 0; i < 4; ++i) stream[static_cast<std::size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    std::string out;
    try {
        out = zunda::lh5::Decompress(stream);
    } catch (const zunda::Failure&) {
        return;
    }
    Check(stream.size() >= 4 && out.size() == LengthOf(stream), "decoded size differs from the length header");
    Check(zunda::lh5::Decompress(zunda::lh5::Compress(out)) == out, "decoded bytes do not round-trip");
}

}  // namespace

#ifndef LH5_FUZZ_SEEDS

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    DecompressAnything(input);
    const std::string decoded = zunda::basecrypt::Decode(input);
    DecompressAnything(decoded);

    const std::string packed = zunda::lh5::Compress(input);
    Check(zunda::lh5::Decompress(packed) == input, "lh5 round trip");
    const std::string text = zunda::basecrypt::Encode(input);
    Check(zunda::basecrypt::Decode(text) == input, "basecrypt round trip");
    Check(zunda::basecrypt::Decode(zunda::basecrypt::Encode(decoded)) == decoded, "basecrypt re-encoding");
    return 0;
}

#else

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    std::string text;
    for (int i = 0; text.size() < 6000; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + ": the quick brown fox jumps over the lazy dog\n";
    std::string bytes;
    for (int i = 0; i < 1024; ++i) bytes += static_cast<char>((i * i + i / 3) & 0xFF);
    std::string noise;
    std::uint32_t x = 1;
    for (int i = 0; i < 3000; ++i) {
        x = x * 1103515245u + 12345u;
        noise += static_cast<char>(x >> 24);
    }
    const std::string inputs[] = {"", "a", "aa", "Hello, Hello!", std::string(5000, 'z'), text, bytes, noise,
                                  text.substr(0, 200) + noise.substr(0, 200) + text.substr(0, 200)};
    int k = 0;
    auto write = [&](const std::string& s) {
        const std::string path = std::string(argv[1]) + "/seed" + std::to_string(k++);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(s.data(), 1, s.size(), f) != s.size() || std::fclose(f) != 0) std::exit(1);
    };
    for (const std::string& in : inputs) {
        const std::string packed = zunda::lh5::Compress(in);
        write(packed);
        write(zunda::basecrypt::Encode(packed));
    }
    return 0;
}

#endif
