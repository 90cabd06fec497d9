#include "devices/core/devmode.h"

#include <algorithm>
#include <cstring>

namespace zunda::devices {
namespace {

// Paper names by TYP_Printer_Paper value. The backslash sequences are four
// literal characters each, and the double blanks belong to the names.
constexpr const char* kPaperNames[kPaperCount] = {
    "Letter 8 12 x 11 in",
    "Letter Small 8 12 x 11 in",
    "Tabloid 11 x 17 in",
    "Ledger 17 x 11 in",
    "Legal 8 12 x 14 in",
    "Statement 5 12 x 8 12 in",
    "Executive 7 14 x 10 12 in",
    "A3 297 x 420 mm",
    "A4 210 x 297 mm",
    "A4 Small 210 x 297 mm",
    "A5 148 x 210 mm",
    "B4 (JIS) 250 x 354",
    "B5 (JIS) 182 x 257 mm",
    "Folio 8 12 x 13 in",
    "Quarto 215 x 275 mm",
    "10x14 in",
    "11x17 in",
    "Note 8 12 x 11 in",
    "Envelope #9 3 78 x 8 78",
    "Envelope #10 4 18 x 9 12",
    "Envelope #11 4 12 x 10 38",
    "Envelope #12 4 \\276 x 11",
    "Envelope #14 5 x 11 12",
    "C size sheet",
    "D size sheet",
    "E size sheet",
    "Envelope DL 110 x 220mm",
    "Envelope C5 162 x 229 mm",
    "Envelope C3  324 x 458 mm",
    "Envelope C4  229 x 324 mm",
    "Envelope C6  114 x 162 mm",
    "Envelope C65 114 x 229 mm",
    "Envelope B4  250 x 353 mm",
    "Envelope B5  176 x 250 mm",
    "Envelope B6  176 x 125 mm",
    "Envelope 110 x 230 mm",
    "Envelope Monarch 3.875 x 7.5 in",
    "6 34 Envelope 3 58 x 6 12 in",
    "US Std Fanfold 14 78 x 11 in",
    "German Std Fanfold 8 12 x 12 in",
    "German Legal Fanfold 8 12 x 13 in",
    "B4 (ISO) 250 x 353 mm",
    "Japanese Postcard 100 x 148 mm",
    "9 x 11 in",
    "10 x 11 in",
    "15 x 11 in",
    "Envelope Invite 220 x 220 mm",
    "RESERVED--DO NOT USE",
    "RESERVED--DO NOT USE",
    "Letter Extra 9 \\275 x 12 in",
    "Legal Extra 9 \\275 x 15 in",
    "Tabloid Extra 11.69 x 18 in",
    "A4 Extra 9.27 x 12.69 in",
    "Letter Transverse 8 \\275 x 11 in",
    "SuperASuperAA4 227 x 356 mm",
    "SuperBSuperBA3 305 x 487 mm",
    "Letter Plus 8.5 x 12.69 in",
    "A4 Plus 210 x 330 mm",
    "A5 Transverse 148 x 210 mm",
    "B5 (JIS) Transverse 182 x 257 mm",
    "A3 Extra 322 x 445 mm",
    "A5 Extra 174 x 235 mm",
    "B5 (ISO) Extra 201 x 276 mm",
    "A2 420 x 594 mm",
    "A3 Transverse 297 x 420 mm",
    "A3 Extra Transverse 322 x 445 mm",
    "Japanese Double Postcard 200 x 148 mm",
    "A6 105 x 148 mm",
    "Japanese Envelope Kaku #2",
    "Japanese Envelope Kaku #3",
    "Japanese Envelope Chou #3",
    "Japanese Envelope Chou #4",
    "Letter Rotated 11 x 8 1/2 11 in",
    "A3 Rotated 420 x 297 mm",
    "A4 Rotated 297 x 210 mm",
    "A5 Rotated 210 x 148 mm",
    "B4 (JIS) Rotated 364 x 257 mm",
    "B5 (JIS) Rotated 257 x 182 mm",
    "Japanese Postcard Rotated 148 x 100 mm",
    "Double Japanese Postcard Rotated 148 x 200 mm",
    "A6 Rotated 148 x 105 mm",
    "Japanese Envelope Kaku #2 Rotated",
    "Japanese Envelope Kaku #3 Rotated",
    "Japanese Envelope Chou #3 Rotated",
    "Japanese Envelope Chou #4 Rotated",
    "B6 (JIS) 128 x 182 mm",
    "B6 (JIS) Rotated 182 x 128 mm",
    "12 x 11 in",
    "Japanese Envelope You #4",
    "Japanese Envelope You #4 Rotated",
    "PRC 16K 146 x 215 mm",
    "PRC 32K 97 x 151 mm",
    "PRC 32K(Big) 97 x 151 mm",
    "PRC Envelope #1 102 x 165 mm",
    "PRC Envelope #2 102 x 176 mm",
    "PRC Envelope #3 125 x 176 mm",
    "PRC Envelope #4 110 x 208 mm",
    "PRC Envelope #5 110 x 220 mm",
    "PRC Envelope #6 120 x 230 mm",
    "PRC Envelope #7 160 x 230 mm",
    "PRC Envelope #8 120 x 309 mm",
    "PRC Envelope #9 229 x 324 mm",
    "PRC Envelope #10 324 x 458 mm",
    "PRC 16K Rotated",
    "PRC 32K Rotated",
    "PRC Envelope #1 Rotated 165 x 102 mm",
    "PRC Envelope #2 Rotated 176 x 102 mm",
    "PRC Envelope #3 Rotated 176 x 125 mm",
    "PRC Envelope #4 Rotated 208 x 110 mm",
    "PRC Envelope #5 Rotated 220 x 110 mm",
    "PRC Envelope #6 Rotated 230 x 120 mm",
    "PRC Envelope #7 Rotated 230 x 160 mm",
    "PRC Envelope #8 Rotated 309 x 120 mm",
    "PRC Envelope #9 Rotated 324 x 229 mm",
    "PRC Envelope #10 Rotated 458 x 324 mm",
    "User defined",
    "A4 Transverse 210 x 297 mm",
    "PRC 32K(Big) Rotated",
    "Letter Extra Transverse 9\\275 x 12 in",
};

struct Row {
    std::int64_t field;
    int value;
    const char* text;
};

// The row of a field value; `other` for a value outside the table, with the
// number as text when `numberText` says how to print it (nothing for empty).
enum class Number { None, Signed, Unsigned };

template <size_t N, class T>
Decoded Lookup(const Row (&rows)[N], std::optional<T> v, int other, Number numberText) {
    if (!v) return {other, std::string()};
    for (const Row& r : rows)
        if (r.field == static_cast<std::int64_t>(*v)) return {r.value, r.text};
    switch (numberText) {
    case Number::Signed:
        return {other, std::to_string(static_cast<std::int64_t>(*v))};
    case Number::Unsigned:
        return {other, std::to_string(static_cast<std::uint64_t>(*v))};
    case Number::None:
        break;
    }
    return {other, std::string()};
}

}  // namespace

DevMode::DevMode(std::string_view bytes) {
    const size_t stored = std::min(bytes.size(), sizeof(buffer_));
    std::memcpy(buffer_, bytes.data(), stored);
    if (stored < dm::kSize + 2) return;  // not even its size: no device mode
    const size_t size = static_cast<size_t>(buffer_[dm::kSize]) | (static_cast<size_t>(buffer_[dm::kSize + 1]) << 8);
    covered_ = std::min(size, stored);
    if (covered_ < dm::kSize + 2) covered_ = 0;
    // Bytes past dmSize are not part of the public structure.
    std::memset(buffer_ + covered_, 0, sizeof(buffer_) - covered_);
}

std::optional<std::uint16_t> DevMode::U16(size_t offset) const {
    if (!Has(offset, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(buffer_[offset] | (buffer_[offset + 1] << 8));
}

std::optional<std::int16_t> DevMode::I16(size_t offset) const {
    std::optional<std::uint16_t> v = U16(offset);
    if (!v) return std::nullopt;
    return static_cast<std::int16_t>(*v);
}

std::optional<std::uint32_t> DevMode::U32(size_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return static_cast<std::uint32_t>(buffer_[offset]) | (static_cast<std::uint32_t>(buffer_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(buffer_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(buffer_[offset + 3]) << 24);
}

std::optional<std::string> DevMode::Text32(size_t offset) const {
    if (!Has(offset, 32)) return std::nullopt;
    const char* p = reinterpret_cast<const char*>(buffer_ + offset);
    size_t n = 0;
    while (n < 32 && p[n]) ++n;
    return std::string(p, n);
}

Decoded DecodeOrientation(std::optional<std::int16_t> v) {
    static const Row rows[] = {{1, toPortrait, "Portrait"}, {2, toLandscape, "Landscape"}};
    return Lookup(rows, v, toPortrait, Number::None);
}

Decoded DecodeQuality(std::optional<std::int16_t> v) {
    static const Row rows[] = {{-4, tqHigh, "High"}, {-3, tqMedium, "Medium"}, {-2, tqLow, "Low"}, {-1, tqDraft, "Draft"}};
    return Lookup(rows, v, tqOther, Number::Signed);
}

Decoded DecodeColor(std::optional<std::int16_t> v) {
    static const Row rows[] = {{1, tcMonochrom, "Monochrom"}, {2, tcColor, "Color"}};
    return Lookup(rows, v, tcColor, Number::None);
}

Decoded DecodeDuplex(std::optional<std::int16_t> v) {
    static const Row rows[] = {{1, tdSimplex, "Simplex"}, {2, tdVertical, "Vertical"}, {3, tdHorizontal, "Horizantal"}};
    return Lookup(rows, v, tdSimplex, Number::None);
}

Decoded DecodeDefaultSource(std::optional<std::int16_t> v) {
    static const Row rows[] = {
        {1, tdsUpper, "Upper"},         {2, tdsLower, "Lower"},       {3, tdsMiddle, "Middle"},
        {4, tdsManual, "Manual"},       {5, tdsEnvelope, "Envelope"}, {6, tdsEnvManual, "EnvManual"},
        {7, tdsAuto, "Auto"},           {8, tdsTractor, "Tractor"},   {9, tdsSmallfmt, "Smallfmt"},
        {10, tdsLargeFmt, "LargeFmt"},  {11, tdsLargeCapacity, "Largecapacity"},
        {14, tdsCassette, "Cassette"},  {15, tdsFormSource, "FormSource"}, {256, tdsUser, "User"},
    };
    return Lookup(rows, v, tdsOther, Number::None);
}

Decoded DecodeTTOption(std::optional<std::int16_t> v) {
    static const Row rows[] = {{1, ttoBitmap, "Bitmap"},
                               {2, ttoDownload, "Download"},
                               {3, ttoSubDev, "Substitutes device"},
                               {4, ttoDownloadOutline, "Download Outline"}};
    return Lookup(rows, v, ttoBitmap, Number::None);
}

Decoded DecodeDisplayFlags(std::optional<std::uint32_t> v) {
    static const Row rows[] = {{1, tdfGrayScale, "Gray Scale"}, {2, tdfInterlaced, "Interlaced"}};
    return Lookup(rows, v, tdfInterlaced, Number::None);
}

Decoded DecodeICMMethod(std::optional<std::uint32_t> v) {
    static const Row rows[] = {{1, timNone, "ICM is disabled"},
                               {2, timSystem, "ICM is handled by Windows"},
                               {3, timDriver, "ICM is handled by the device driver"},
                               {4, timDevice, "ICM is handled by the destination device"},
                               {256, timUser, "User"}};
    return Lookup(rows, v, timNone, Number::Unsigned);
}

Decoded DecodeICMIntent(std::optional<std::uint32_t> v) {
    static const Row rows[] = {{1, tiiSaturate, "Maximize color saturation"},
                               {2, tiiContrast, "Maximize color contrast"},
                               {3, tiiColorMetric, "Use specific color metric"},
                               {256, tiiUser, "Device-specific intents start here"}};
    return Lookup(rows, v, tiiSaturate, Number::Unsigned);
}

Decoded DecodeMediaType(std::optional<std::uint32_t> v) {
    static const Row rows[] = {{1, tmtStandard, "Plain paper"},
                               {2, tmtTransparency, "Transparency film"},
                               {3, tmtGlossy, "Glossy paper"}};
    return Lookup(rows, v, tmtStandard, Number::Unsigned);
}

Decoded DecodeDither(std::optional<std::uint32_t> v) {
    static const Row rows[] = {{1, tdiNone, "None dithering"},
                               {2, tdiCoarse, "Dither with a coarse brush"},
                               {3, tdiFine, "Dither with a fine brush"},
                               {4, tdiLineart, "Line art dithering"},
                               {10, tdiGrayScale, "Device does grayscaling"}};
    return Lookup(rows, v, tdiNone, Number::Unsigned);
}

Decoded DecodePaper(std::optional<std::int16_t> v) {
    int paper = kPaperA4;
    if (v) {
        const int s = *v;
        if (s >= 1 && s <= 54) paper = s - 1;
        else if (s == 55) paper = 116;
        else if (s == 56) paper = 118;
        else if (s >= 57 && s <= 107) paper = s - 3;
        else if (s == 108) paper = 117;
        else if (s >= 109 && s <= 118) paper = s - 4;
        else if (s == 256) paper = kPaperUser;
    }
    return {paper, PaperName(paper)};
}

const char* PaperName(int paper) {
    if (paper < 0 || paper >= kPaperCount) return "";
    return kPaperNames[paper];
}

bool DecodeCollate(std::optional<std::int16_t> v) { return v && *v == 1; }

Decoded DecodeAttributes(std::uint32_t attributes) {
    static const Row rows[] = {
        {0x4, 0, "Default"},         {0x2, 1, "Direct"},         {0x200, 2, "Complete First"},
        {0x800, 3, "Enable BIDI"},   {0x80, 4, "Enable DevQ"},   {0x100, 5, "Printed Jobs"},
        {0x1, 6, "Queued"},          {0x8, 7, "Shared"},         {0x400, 8, "Work Offline"},
        {0x10, 9, "Network"},        {0x40, 10, "Local"},        {0x20, 11, "Hidden"},
        {0x1000, 12, "RAW Only"},
    };
    for (const Row& r : rows)
        if (r.field == attributes) return {r.value, r.text};
    return {0, "Default"};
}

Decoded DecodeStatus(std::uint32_t status) {
    static const char* const texts[] = {
        "Paused",    "Error",      "Pending Deletion", "Paper Jam",  "Paper Out",         "Manual Feed",
        "Paper Problem", "Offline", "IO Active",       "Busy",       "Printing",          "Output bin full",
        "Not Available", "Waiting", "Processing",      "Init",       "Warming up",        "Toner low",
        "No toner",  "Pager punt", "User intervention", "Out of memory", "Door open",      "Server unknown",
        "Power save",
    };
    for (int bit = 0; bit < 25; ++bit)
        if (status == (1u << bit)) return {bit, texts[bit]};
    return {12, "Not Available"};
}

}  // namespace zunda::devices
