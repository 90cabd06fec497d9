// liblhasa's "-lh5-" decoder over a stream body held in memory: the
// independent reading of the codec's streams that its tests and its
// benchmark compare with.
#pragma once

#include <lhasa.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace zunda::test {

namespace lhasa_detail {

struct MemoryStream {
    std::string_view data;
    std::size_t pos = 0;
};

inline size_t ReadMemory(void* buf, size_t len, void* user) {
    auto* s = static_cast<MemoryStream*>(user);
    const std::size_t n = std::min(len, s->data.size() - s->pos);
    std::memcpy(buf, s->data.data() + s->pos, n);
    s->pos += n;
    return n;
}

}  // namespace lhasa_detail

// Up to n bytes decoded from body (a "-lh5-" bit stream without the codec's
// 4-byte length), fewer when the decoder stops early; nullopt when this
// liblhasa has no "-lh5-" decoder.
inline std::optional<std::string> LhasaDecodeBody(std::string_view body, std::size_t n) {
    static LHADecoderType* const type = [] {
        char method[] = "-lh5-";
        return lha_decoder_for_name(method);
    }();
    if (type == nullptr) return std::nullopt;
    lhasa_detail::MemoryStream stream{body};
    LHADecoder* decoder = lha_decoder_new(type, lhasa_detail::ReadMemory, &stream, n);
    std::string out(n, '\0');
    std::size_t got = 0;
    while (got < n) {
        const std::size_t r = lha_decoder_read(decoder, reinterpret_cast<std::uint8_t*>(out.data()) + got, n - got);
        if (r == 0) break;
        got += r;
    }
    lha_decoder_free(decoder);
    out.resize(got);
    return out;
}

}  // namespace zunda::test
