// The settings of a printer's device mode (the 8-bit DEVMODE structure),
// decoded from a byte buffer: the direct reads, the enumeration values and
// their texts, and the paper names. A device mode shorter than the full
// structure is zero-filled; a field beyond its dmSize (or beyond the bytes
// stored) reads as "no device mode".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zunda::devices {

// Field offsets of DEVMODEA.
namespace dm {
constexpr size_t kDeviceName = 0, kSpecVersion = 32, kDriverVersion = 34, kSize = 36, kDriverExtra = 38,
                 kFields = 40, kOrientation = 44, kPaperSize = 46, kPaperLength = 48, kPaperWidth = 50,
                 kScale = 52, kCopies = 54, kDefaultSource = 56, kPrintQuality = 58, kColor = 60, kDuplex = 62,
                 kYResolution = 64, kTTOption = 66, kCollate = 68, kFormName = 70, kLogPixels = 102,
                 kBitsPerPel = 104, kPelsWidth = 108, kPelsHeight = 112, kDisplayFlags = 116,
                 kDisplayFrequency = 120, kICMMethod = 124, kICMIntent = 128, kMediaType = 132,
                 kDitherType = 136, kICCManufacturer = 140, kICCModel = 144, kPanningWidth = 148, kPanningHeight = 152;
// dmICCManufacturer and dmICCModel are the older names of dmReserved1 and dmReserved2.
constexpr size_t kFullSize = 156;
}  // namespace dm

class DevMode {
public:
    DevMode() = default;
    // Copies the device mode; only its first dmSize bytes count.
    explicit DevMode(std::string_view bytes);

    bool Present() const { return covered_ > 0; }
    size_t Covered() const { return covered_; }

    std::optional<std::uint16_t> U16(size_t offset) const;
    std::optional<std::int16_t> I16(size_t offset) const;
    std::optional<std::uint32_t> U32(size_t offset) const;
    // Text up to the first zero byte, at most 32 characters.
    std::optional<std::string> Text32(size_t offset) const;

private:
    bool Has(size_t offset, size_t width) const { return offset + width <= covered_; }
    unsigned char buffer_[dm::kFullSize] = {};
    size_t covered_ = 0;
};

// An enumeration value with its text.
struct Decoded {
    int value;
    std::string text;
};

// TYP_Printer_* enumerators, by name.
enum Orientation { toPortrait = 0, toLandscape = 1 };
enum Quality { tqHigh = 0, tqMedium = 1, tqLow = 2, tqDraft = 3, tqOther = 4 };
enum Color { tcColor = 0, tcMonochrom = 1 };
enum Duplex { tdSimplex = 0, tdHorizontal = 1, tdVertical = 2 };
enum DefaultSource {
    tdsUpper = 0, tdsLower, tdsMiddle, tdsManual, tdsEnvelope, tdsEnvManual, tdsAuto, tdsTractor, tdsSmallfmt,
    tdsLargeFmt, tdsLargeCapacity, tdsCassette, tdsFormSource, tdsUser, tdsOther
};
enum TTOption { ttoBitmap = 0, ttoDownload = 1, ttoSubDev = 2, ttoDownloadOutline = 3 };
enum DisplayFlags { tdfGrayScale = 0, tdfInterlaced = 1 };
enum ICMMethod { timSystem = 0, timNone = 1, timDriver = 2, timDevice = 3, timUser = 4 };
enum ICMIntent { tiiSaturate = 0, tiiContrast = 1, tiiColorMetric = 2, tiiUser = 3 };
enum MediaType { tmtStandard = 0, tmtGlossy = 1, tmtTransparency = 2 };
enum Dither { tdiNone = 0, tdiCoarse = 1, tdiFine = 2, tdiLineart = 3, tdiGrayScale = 4 };
constexpr int kPaperA4 = 8;
constexpr int kPaperUser = 115;
constexpr int kPaperCount = 119;

// Each takes the field's value, or nothing when there is no device mode.
Decoded DecodeOrientation(std::optional<std::int16_t> v);
Decoded DecodeQuality(std::optional<std::int16_t> v);
Decoded DecodeColor(std::optional<std::int16_t> v);
Decoded DecodeDuplex(std::optional<std::int16_t> v);
Decoded DecodeDefaultSource(std::optional<std::int16_t> v);
Decoded DecodeTTOption(std::optional<std::int16_t> v);
Decoded DecodeDisplayFlags(std::optional<std::uint32_t> v);
Decoded DecodeICMMethod(std::optional<std::uint32_t> v);
Decoded DecodeICMIntent(std::optional<std::uint32_t> v);
Decoded DecodeMediaType(std::optional<std::uint32_t> v);
Decoded DecodeDither(std::optional<std::uint32_t> v);
// dmPaperSize to TYP_Printer_Paper, with the paper's name.
Decoded DecodePaper(std::optional<std::int16_t> v);
const char* PaperName(int paper);  // empty outside the enumeration
bool DecodeCollate(std::optional<std::int16_t> v);

// The printer's queue attributes and status: only a value with exactly one
// listed bit has its own enumerator.
Decoded DecodeAttributes(std::uint32_t attributes);
Decoded DecodeStatus(std::uint32_t status);

}  // namespace zunda::devices
