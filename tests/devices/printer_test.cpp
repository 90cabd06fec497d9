// Printer rules: every row of the device-mode tables with its enumeration
// value and text, the paper mapping, the attribute and status texts, the
// truncated device mode, and the shared printer list with its default.
#include "devices/core/devmode.h"
#include "devices/core/printer_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace zunda::devices {
namespace {

struct Case {
    long long field;  // nothing when below kNone
    int value;
    const char* text;
};
constexpr long long kNone = -100000;

template <class T>
void Check(const char* what, Decoded (*decode)(std::optional<T>), std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const std::optional<T> v = c.field == kNone ? std::nullopt : std::optional<T>(static_cast<T>(c.field));
        const Decoded d = decode(v);
        EXPECT_EQ(d.value, c.value) << what << " " << c.field;
        EXPECT_EQ(d.text, c.text) << what << " " << c.field;
    }
}

TEST(DevModeTables, OrientationQualityColorDuplex) {
    Check<std::int16_t>("orientation", DecodeOrientation,
                        {{1, toPortrait, "Portrait"}, {2, toLandscape, "Landscape"}, {0, toPortrait, ""},
                         {3, toPortrait, ""}, {kNone, toPortrait, ""}});
    Check<std::int16_t>("quality", DecodeQuality,
                        {{-4, tqHigh, "High"}, {-3, tqMedium, "Medium"}, {-2, tqLow, "Low"}, {-1, tqDraft, "Draft"},
                         {600, tqOther, "600"}, {-5, tqOther, "-5"}, {0, tqOther, "0"}, {kNone, tqOther, ""}});
    Check<std::int16_t>("color", DecodeColor,
                        {{1, tcMonochrom, "Monochrom"}, {2, tcColor, "Color"}, {3, tcColor, ""}, {kNone, tcColor, ""}});
    Check<std::int16_t>("duplex", DecodeDuplex,
                        {{1, tdSimplex, "Simplex"}, {2, tdVertical, "Vertical"}, {3, tdHorizontal, "Horizantal"},
                         {4, tdSimplex, ""}, {kNone, tdSimplex, ""}});
}

TEST(DevModeTables, DefaultSourceAndTrueTypeAndDisplayFlags) {
    Check<std::int16_t>("source", DecodeDefaultSource,
                        {{1, tdsUpper, "Upper"}, {2, tdsLower, "Lower"}, {3, tdsMiddle, "Middle"},
                         {4, tdsManual, "Manual"}, {5, tdsEnvelope, "Envelope"}, {6, tdsEnvManual, "EnvManual"},
                         {7, tdsAuto, "Auto"}, {8, tdsTractor, "Tractor"}, {9, tdsSmallfmt, "Smallfmt"},
                         {10, tdsLargeFmt, "LargeFmt"}, {11, tdsLargeCapacity, "Largecapacity"},
                         {14, tdsCassette, "Cassette"}, {15, tdsFormSource, "FormSource"}, {256, tdsUser, "User"},
                         {0, tdsOther, ""}, {12, tdsOther, ""}, {13, tdsOther, ""}, {16, tdsOther, ""},
                         {257, tdsOther, ""}, {kNone, tdsOther, ""}});
    Check<std::int16_t>("tt", DecodeTTOption,
                        {{1, ttoBitmap, "Bitmap"}, {2, ttoDownload, "Download"}, {3, ttoSubDev, "Substitutes device"},
                         {4, ttoDownloadOutline, "Download Outline"}, {5, ttoBitmap, ""}, {kNone, ttoBitmap, ""}});
    Check<std::uint32_t>("display", DecodeDisplayFlags,
                         {{1, tdfGrayScale, "Gray Scale"}, {2, tdfInterlaced, "Interlaced"}, {3, tdfInterlaced, ""},
                          {kNone, tdfInterlaced, ""}});
}

TEST(DevModeTables, ColourManagementMediaAndDither) {
    Check<std::uint32_t>("icm method", DecodeICMMethod,
                         {{1, timNone, "ICM is disabled"}, {2, timSystem, "ICM is handled by Windows"},
                          {3, timDriver, "ICM is handled by the device driver"},
                          {4, timDevice, "ICM is handled by the destination device"}, {256, timUser, "User"},
                          {5, timNone, "5"}, {0xFFFFFFFFLL, timNone, "4294967295"}, {kNone, timNone, ""}});
    Check<std::uint32_t>("icm intent", DecodeICMIntent,
                         {{1, tiiSaturate, "Maximize color saturation"}, {2, tiiContrast, "Maximize color contrast"},
                          {3, tiiColorMetric, "Use specific color metric"},
                          {256, tiiUser, "Device-specific intents start here"}, {4, tiiSaturate, "4"},
                          {kNone, tiiSaturate, ""}});
    Check<std::uint32_t>("media", DecodeMediaType,
                         {{1, tmtStandard, "Plain paper"}, {2, tmtTransparency, "Transparency film"},
                          {3, tmtGlossy, "Glossy paper"}, {256, tmtStandard, "256"}, {kNone, tmtStandard, ""}});
    Check<std::uint32_t>("dither", DecodeDither,
                         {{1, tdiNone, "None dithering"}, {2, tdiCoarse, "Dither with a coarse brush"},
                          {3, tdiFine, "Dither with a fine brush"}, {4, tdiLineart, "Line art dithering"},
                          {10, tdiGrayScale, "Device does grayscaling"}, {5, tdiNone, "5"}, {9, tdiNone, "9"},
                          {kNone, tdiNone, ""}});
    EXPECT_TRUE(DecodeCollate(std::int16_t{1}));
    EXPECT_FALSE(DecodeCollate(std::int16_t{0}));
    EXPECT_FALSE(DecodeCollate(std::int16_t{2}));
    EXPECT_FALSE(DecodeCollate(std::nullopt));
}

TEST(PaperTable, EverySizeMapsToItsEnumerationValue) {
    for (int s = -2; s <= 300; ++s) {
        int want = kPaperA4;
        if (s >= 1 && s <= 54) want = s - 1;
        if (s == 55) want = 116;
        if (s == 56) want = 118;
        if (s >= 57 && s <= 107) want = s - 3;
        if (s == 108) want = 117;
        if (s >= 109 && s <= 118) want = s - 4;
        if (s == 256) want = 115;
        const Decoded d = DecodePaper(static_cast<std::int16_t>(s));
        EXPECT_EQ(d.value, want) << s;
        EXPECT_STREQ(d.text.c_str(), PaperName(want)) << s;
    }
    EXPECT_EQ(DecodePaper(std::int16_t{-32768}).value, kPaperA4);
    EXPECT_EQ(DecodePaper(std::nullopt).value, kPaperA4);
    EXPECT_EQ(DecodePaper(std::nullopt).text, "A4 210 x 297 mm");
    // Every value of the enumeration is reached exactly once.
    std::vector<int> seen(kPaperCount, 0);
    for (int s = 1; s <= 256; ++s)
        if ((s <= 118) || s == 256) ++seen[static_cast<size_t>(DecodePaper(static_cast<std::int16_t>(s)).value)];
    for (int p = 0; p < kPaperCount; ++p) EXPECT_EQ(seen[static_cast<size_t>(p)], 1) << p;
}

TEST(PaperTable, NamesAreKeptCharacterForCharacter) {
    const std::pair<int, const char*> names[] = {
        {0, "Letter 8 12 x 11 in"},
        {8, "A4 210 x 297 mm"},
        {11, "B4 (JIS) 250 x 354"},
        {21, "Envelope #12 4 \\276 x 11"},
        {26, "Envelope DL 110 x 220mm"},
        {28, "Envelope C3  324 x 458 mm"},
        {29, "Envelope C4  229 x 324 mm"},
        {30, "Envelope C6  114 x 162 mm"},
        {31, "Envelope C65 114 x 229 mm"},
        {32, "Envelope B4  250 x 353 mm"},
        {33, "Envelope B5  176 x 250 mm"},
        {34, "Envelope B6  176 x 125 mm"},
        {47, "RESERVED--DO NOT USE"},
        {48, "RESERVED--DO NOT USE"},
        {49, "Letter Extra 9 \\275 x 12 in"},
        {50, "Legal Extra 9 \\275 x 15 in"},
        {53, "Letter Transverse 8 \\275 x 11 in"},
        {54, "SuperASuperAA4 227 x 356 mm"},
        {72, "Letter Rotated 11 x 8 1/2 11 in"},
        {114, "PRC Envelope #10 Rotated 458 x 324 mm"},
        {115, "User defined"},
        {116, "A4 Transverse 210 x 297 mm"},
        {117, "PRC 32K(Big) Rotated"},
        {118, "Letter Extra Transverse 9\\275 x 12 in"},
    };
    for (const auto& [value, name] : names) EXPECT_STREQ(PaperName(value), name) << value;
    EXPECT_EQ(std::strlen(PaperName(21)), std::strlen("Envelope #12 4 ") + 4 + std::strlen(" x 11"));
    EXPECT_STREQ(PaperName(-1), "");
    EXPECT_STREQ(PaperName(119), "");
    EXPECT_EQ(DecodePaper(std::int16_t{9}).text, "A4 210 x 297 mm");
    EXPECT_EQ(DecodePaper(std::int16_t{55}).text, "A4 Transverse 210 x 297 mm");
    EXPECT_EQ(DecodePaper(std::int16_t{256}).text, "User defined");
}

TEST(PrinterAttributes, OnlyASingleListedBitHasItsOwnValue) {
    const std::tuple<std::uint32_t, int, const char*> attrs[] = {
        {0x4, 0, "Default"},       {0x2, 1, "Direct"},      {0x200, 2, "Complete First"}, {0x800, 3, "Enable BIDI"},
        {0x80, 4, "Enable DevQ"},  {0x100, 5, "Printed Jobs"}, {0x1, 6, "Queued"},         {0x8, 7, "Shared"},
        {0x400, 8, "Work Offline"}, {0x10, 9, "Network"},   {0x40, 10, "Local"},           {0x20, 11, "Hidden"},
        {0x1000, 12, "RAW Only"},  {0, 0, "Default"},       {0x240, 0, "Default"},         {0x2000, 0, "Default"},
    };
    for (const auto& [a, value, text] : attrs) {
        EXPECT_EQ(DecodeAttributes(a).value, value) << a;
        EXPECT_EQ(DecodeAttributes(a).text, text) << a;
    }
    const char* const status[] = {"Paused",        "Error",         "Pending Deletion",  "Paper Jam",
                                  "Paper Out",     "Manual Feed",   "Paper Problem",     "Offline",
                                  "IO Active",     "Busy",          "Printing",          "Output bin full",
                                  "Not Available", "Waiting",       "Processing",        "Init",
                                  "Warming up",    "Toner low",     "No toner",          "Pager punt",
                                  "User intervention", "Out of memory", "Door open",     "Server unknown",
                                  "Power save"};
    for (int bit = 0; bit < 25; ++bit) {
        EXPECT_EQ(DecodeStatus(1u << bit).value, bit);
        EXPECT_EQ(DecodeStatus(1u << bit).text, status[bit]);
    }
    for (std::uint32_t other : {0u, 3u, 1u << 25, 0x80000000u, 0x401u}) {
        EXPECT_EQ(DecodeStatus(other).value, 12) << other;
        EXPECT_EQ(DecodeStatus(other).text, "Not Available") << other;
    }
}

// A device mode of `size` bytes with dmSize `declared`, fields set by offset.
std::string Bytes(size_t size, std::uint16_t declared) {
    std::string b(size, '\0');
    if (size >= dm::kSize + 2) {
        b[dm::kSize] = static_cast<char>(declared & 0xFF);
        b[dm::kSize + 1] = static_cast<char>(declared >> 8);
    }
    return b;
}
void Put16(std::string& b, size_t at, int v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

TEST(DevModeBuffer, FieldsAreReadAtTheirOffsetsWithTheirWidths) {
    std::string b = Bytes(dm::kFullSize, dm::kFullSize);
    std::memcpy(b.data(), "A Printer Name That Is Too Long For Its Field", 32);
    std::memcpy(b.data() + dm::kFormName, "A4\0garbage", 11);
    Put16(b, dm::kSpecVersion, 0x401);
    Put16(b, dm::kDriverExtra, 0xFFFF);
    Put32(b, dm::kFields, 0x80000001u);
    Put16(b, dm::kPaperLength, -1);
    Put16(b, dm::kPrintQuality, 600);
    Put16(b, dm::kLogPixels, 0xFFFF);
    Put32(b, dm::kPanningHeight, 77);
    Put32(b, 140, 0x4D58);  // dmICCManufacturer: the structure's dmReserved1
    Put32(b, 144, 0xFFFFFFFFu);
    Put32(b, 148, 12);
    const DevMode d(b);
    EXPECT_TRUE(d.Present());
    EXPECT_EQ(*d.Text32(dm::kDeviceName), "A Printer Name That Is Too Long ");
    EXPECT_EQ(*d.Text32(dm::kFormName), "A4");
    EXPECT_EQ(*d.U16(dm::kSpecVersion), 0x401);
    EXPECT_EQ(*d.U16(dm::kDriverExtra), 0xFFFF);
    EXPECT_EQ(*d.U32(dm::kFields), 0x80000001u);
    EXPECT_EQ(*d.I16(dm::kPaperLength), -1);
    EXPECT_EQ(DecodeQuality(d.I16(dm::kPrintQuality)).text, "600");
    EXPECT_EQ(*d.U16(dm::kLogPixels), 0xFFFF);
    EXPECT_EQ(*d.U32(dm::kPanningHeight), 77u);
    EXPECT_EQ(*d.U32(dm::kICCManufacturer), 0x4D58u);
    EXPECT_EQ(*d.U32(dm::kICCModel), 0xFFFFFFFFu);
    EXPECT_EQ(*d.U32(dm::kPanningWidth), 12u);
}

TEST(DevModeBuffer, FieldsBeyondTheDeclaredOrStoredSizeReadAsNoDeviceMode) {
    // An old, short device mode (dmSize 68, up to dmCollate exclusive).
    std::string b = Bytes(200, 68);
    Put16(b, dm::kDuplex, 2);
    Put16(b, dm::kCollate, 1);  // past dmSize: not part of it
    Put32(b, dm::kDitherType, 3);
    DevMode d(b);
    EXPECT_EQ(DecodeDuplex(d.I16(dm::kDuplex)).text, "Vertical");
    EXPECT_FALSE(d.I16(dm::kCollate));
    EXPECT_FALSE(d.Text32(dm::kFormName));
    EXPECT_EQ(DecodeDither(d.U32(dm::kDitherType)).text, "");
    EXPECT_FALSE(d.U32(dm::kPanningHeight));

    // dmSize larger than the bytes stored: only the stored bytes count.
    std::string c = Bytes(64, 156);
    Put16(c, dm::kColor, 1);
    d = DevMode(c);
    EXPECT_EQ(DecodeColor(d.I16(dm::kColor)).text, "Monochrom");
    EXPECT_TRUE(d.I16(dm::kDuplex));  // ends exactly at the last stored byte
    EXPECT_FALSE(d.I16(dm::kYResolution));

    // Damaged: too short for dmSize, or dmSize smaller than the header.
    EXPECT_FALSE(DevMode(std::string(10, 'x')).Present());
    EXPECT_FALSE(DevMode(Bytes(156, 0)).Present());
    EXPECT_FALSE(DevMode(Bytes(156, 20)).Present());
    EXPECT_FALSE(DevMode().Present());
    EXPECT_FALSE(DevMode().U16(dm::kSize));
}

class FakeSpooler final : public Spooler {
public:
    std::vector<SpoolerPrinter> printers;
    long defaultCode = 0;
    std::string defaultName;
    std::string profile;
    int enumerations = 0;
    std::vector<SpoolerPrinter> Printers(bool) override {
        ++enumerations;
        return printers;
    }
    long DefaultPrinter(std::string& name) override {
        name = defaultName;
        return defaultCode;
    }
    std::string ProfileDevice() override { return profile; }
    std::string Message(long code) override { return "System error " + std::to_string(code) + "."; }
};

TEST(PrinterList, NtListsPrintersAndNinetyFiveListsOneEntryPerPort) {
    const std::vector<SpoolerPrinter> printers = {{"Laser", "LPT1:,FILE:"}, {"Ink", ""}, {"Fax", " COM1: , ,COM2:"}};
    std::vector<PrinterEntry> nt = BuildPrinterList(printers, true);
    ASSERT_EQ(nt.size(), 3u);
    EXPECT_EQ(nt[0].text, "Laser");
    EXPECT_EQ(nt[2].device, "Fax");
    std::vector<PrinterEntry> w9x = BuildPrinterList(printers, false);
    std::vector<std::string> texts, ports;
    for (const PrinterEntry& e : w9x) {
        texts.push_back(e.text);
        ports.push_back(e.port);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Laser an LPT1:", "Laser an FILE:", "Ink an ", "Fax an COM1:",
                                               "Fax an COM2:"}));
    EXPECT_EQ(ports, (std::vector<std::string>{"LPT1:", "FILE:", "", "COM1:", "COM2:"}));
    EXPECT_EQ(w9x[1].device, "Laser");
    EXPECT_EQ(ProfileDeviceName("Laser,winspool,LPT1:"), "Laser");
    EXPECT_EQ(ProfileDeviceName("Solo"), "Solo");
    EXPECT_EQ(ProfileDeviceName(""), "");
}

TEST(PrinterList, DefaultComesFromTheSpoolerOrTheProfileAndIndexesAreClamped) {
    FakeSpooler s;
    s.printers = {{"A", ""}, {"B", ""}, {"C", ""}};
    s.profile = "b,winspool,FILE:";
    PrintSystem p;
    p.Ensure(s, true);
    p.Ensure(s, true);
    EXPECT_EQ(s.enumerations, 1);  // built once
    std::string error;
    EXPECT_EQ(p.StoredIndex(), -1);
    EXPECT_EQ(p.Resolve(s, error), 1);  // case-insensitive match
    EXPECT_EQ(error, "");
    EXPECT_EQ(p.StoredIndex(), 1);
    s.defaultName = "C";  // the spooler's answer comes first
    EXPECT_EQ(p.DefaultPosition(s, error), 2);
    p.Select(1000);
    EXPECT_EQ(p.StoredIndex(), 2);
    p.Select(-5);
    EXPECT_EQ(p.StoredIndex(), -1);
    EXPECT_EQ(p.Resolve(s, error), 2);
    p.Select(0);
    EXPECT_EQ(p.Resolve(s, error), 0);
}

TEST(PrinterList, LongNamesAndPortsAreKeptWhole) {
    const std::string name(300, 'N');
    const std::string port = std::string(200, 'P') + ":";
    FakeSpooler s;
    s.printers = {{"Short", "LPT1:"}, {name, port + "," + port}};
    s.profile = name + ",winspool," + port;
    PrintSystem p;
    p.Ensure(s, false);
    ASSERT_EQ(p.Count(), 3);
    EXPECT_EQ(p.Entries()[1].text, name + " an " + port);
    EXPECT_EQ(p.Entries()[2].device, name);
    std::string error;
    EXPECT_EQ(p.Resolve(s, error), 1);
}

TEST(PrinterList, NoPrinterOrNoUsableDefaultGivesMinusOneAndTheReason) {
    FakeSpooler s;
    PrintSystem p;
    p.Ensure(s, true);
    std::string error;
    EXPECT_EQ(p.Resolve(s, error), -1);
    EXPECT_EQ(error, kNoDefaultPrinter);
    p.Select(3);
    EXPECT_EQ(p.StoredIndex(), -1);

    FakeSpooler t;
    t.printers = {{"A", ""}};
    t.profile = "Gone,winspool,LPT1:";  // a default that is not in the list
    PrintSystem q;
    q.Ensure(t, true);
    EXPECT_EQ(q.Resolve(t, error), -1);
    EXPECT_EQ(error, kNoDefaultPrinter);
    t.profile = "";
    t.defaultCode = kErrorInvalidName;
    EXPECT_EQ(q.Resolve(t, error), -1);
    EXPECT_EQ(error, "Zur Zeit ist kein Standarddrucker gew\xE4hlt");
    t.defaultCode = 5;
    EXPECT_EQ(q.Resolve(t, error), -1);
    EXPECT_EQ(error, "System error 5.");
    t.profile = "A";  // the profile still finds it
    EXPECT_EQ(q.Resolve(t, error), 0);
}

}  // namespace
}  // namespace zunda::devices
