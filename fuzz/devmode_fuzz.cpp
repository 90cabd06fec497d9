// libFuzzer target for the printer's device mode: DevMode over the whole
// input, every field read at every offset, the enumeration decoders on what
// the fields hold, and the queue attribute and status texts.
#include "devices/core/devmode.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace zunda::devices;
using zunda::fuzz::Check;

void CheckDecoded(const Decoded& d) { Check(d.text.size() < 64, "decoded text out of bounds"); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DevMode mode(bytes);
    const std::size_t stored = std::min(size, dm::kFullSize);
    Check(mode.Covered() <= stored, "covers more than was stored");
    Check(!mode.Present() || mode.Covered() >= dm::kSize + 2, "present without its size field");
    if (mode.Present()) {
        const std::size_t declared = static_cast<std::size_t>(data[dm::kSize]) | static_cast<std::size_t>(data[dm::kSize + 1]) << 8;
        Check(mode.Covered() == std::min(declared, stored), "covered is not min(dmSize, stored)");
    }

    // Each read is there exactly when the field lies within the covered bytes,
    // and then holds the input's bytes.
    for (std::size_t at = 0; at <= dm::kFullSize + 4; ++at) {
        const bool has2 = at + 2 <= mode.Covered(), has4 = at + 4 <= mode.Covered(), has32 = at + 32 <= mode.Covered();
        const auto u16 = mode.U16(at);
        const auto u32 = mode.U32(at);
        const auto text = mode.Text32(at);
        Check(u16.has_value() == has2 && mode.I16(at).has_value() == has2, "16-bit field presence");
        Check(u32.has_value() == has4, "32-bit field presence");
        Check(text.has_value() == has32, "text field presence");
        if (u16) Check(*u16 == (data[at] | data[at + 1] << 8), "16-bit field value");
        if (u32) Check(*u32 == (static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
                                static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24),
                       "32-bit field value");
        if (text) {
            Check(text->size() <= 32 && text->find('\0') == std::string::npos, "text field too long");
            Check(std::memcmp(text->data(), data + at, text->size()) == 0, "text field differs from its bytes");
        }
    }

    CheckDecoded(DecodeOrientation(mode.I16(dm::kOrientation)));
    CheckDecoded(DecodeQuality(mode.I16(dm::kPrintQuality)));
    CheckDecoded(DecodeColor(mode.I16(dm::kColor)));
    CheckDecoded(DecodeDuplex(mode.I16(dm::kDuplex)));
    CheckDecoded(DecodeDefaultSource(mode.I16(dm::kDefaultSource)));
    CheckDecoded(DecodeTTOption(mode.I16(dm::kTTOption)));
    CheckDecoded(DecodeDisplayFlags(mode.U32(dm::kDisplayFlags)));
    CheckDecoded(DecodeICMMethod(mode.U32(dm::kICMMethod)));
    CheckDecoded(DecodeICMIntent(mode.U32(dm::kICMIntent)));
    CheckDecoded(DecodeMediaType(mode.U32(dm::kMediaType)));
    CheckDecoded(DecodeDither(mode.U32(dm::kDitherType)));
    const Decoded paper = DecodePaper(mode.I16(dm::kPaperSize));
    CheckDecoded(paper);
    Check(paper.value >= 0 && paper.value < kPaperCount, "paper outside the enumeration");
    (void)PaperName(paper.value);
    (void)DecodeCollate(mode.I16(dm::kCollate));

    // The queue's attribute and status words, taken from the input too.
    for (std::size_t at = 0; at + 4 <= size && at < 64; at += 4) {
        std::uint32_t v;
        std::memcpy(&v, data + at, 4);
        CheckDecoded(DecodeAttributes(v));
        CheckDecoded(DecodeStatus(v));
        (void)PaperName(static_cast<int>(v));
    }
    return 0;
}
