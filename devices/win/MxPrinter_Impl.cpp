// MxPrinter: the printers of the system (one list and one current printer
// per process, shared by every MxPrinter), the spooler data of the current
// printer with its attribute and status texts, the capability records of its
// device context, and the decoded settings of its default device mode.
#include "devices/core/devmode.h"
#include "devices/win/printer_win32.h"
#include "server/core/failure.h"
#include "server/win/frame.h"

#include <optional>
#include <vector>

namespace zunda {
namespace {

namespace d = devices;

// The decoders' enumerators are the type library's, value by value.
static_assert(int{d::tcMonochrom} == int{tcMonochrom} && int{d::tcColor} == int{tcColor});
static_assert(int{d::tdHorizontal} == int{tdHorizontal} && int{d::tdVertical} == int{tdVertical});
static_assert(int{d::timNone} == int{timNone} && int{d::timSystem} == int{timSystem} && int{d::timUser} == int{timUser});
static_assert(int{d::tmtGlossy} == int{tmtGlossy} && int{d::tmtTransparency} == int{tmtTransparency});
static_assert(int{d::tdiGrayScale} == int{tdiGrayScale} && int{d::tqOther} == int{tqOther} && int{d::tdsOther} == int{tdsOther});
static_assert(int{d::ttoDownloadOutline} == int{ttoDownloadOutline} && int{d::tdfInterlaced} == int{tdfInterlaced});
static_assert(int{d::tiiUser} == int{tiiUser} && int{d::toLandscape} == int{toLandscape});
static_assert(int{d::kPaperA4} == int{tpA4} && int{d::kPaperUser} == int{tpUser} && int{d::kPaperCount} == int{tpLETTER_EXTRA_TRANSVERSE} + 1);

struct PrinterInfo {
    std::string serverName, printerName, shareName, portName, driverName, comment, location, sepFile,
        printProcessor, dataType, parameters;
    d::DevMode devMode;
    DWORD attributes = 0, priority = 0, defaultPriority = 0, startTime = 0, untilTime = 0, status = 0, jobs = 0,
          averagePPM = 0;
};

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

}  // namespace

class TMxPrinter final : public Object<TMxPrinter, IMxPrinter> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxPrinter, &IID_IMxPrinter, &DIID_IMxEvents, L"Zunda.MxPrinter",
                                     "MxPrinter", ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
        list_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
    }

    // ------------------------------------------------ spooler strings and numbers
    STDMETHODIMP get_wstrServerName(BSTR* v) override { return Info1(v, info_.serverName); }
    STDMETHODIMP get_wstrPrinterName(BSTR* v) override { return Info1(v, info_.printerName); }
    STDMETHODIMP get_wstrShareName(BSTR* v) override { return Info1(v, info_.shareName); }
    STDMETHODIMP get_wstrPortName(BSTR* v) override { return Info1(v, info_.portName); }
    STDMETHODIMP get_wstrDriverName(BSTR* v) override { return Info1(v, info_.driverName); }
    STDMETHODIMP get_wstrComment(BSTR* v) override { return Info1(v, info_.comment); }
    STDMETHODIMP get_wstrLocation(BSTR* v) override { return Info1(v, info_.location); }
    STDMETHODIMP get_wstrSepFile(BSTR* v) override { return Info1(v, info_.sepFile); }
    STDMETHODIMP get_wstrPrintProcessor(BSTR* v) override { return Info1(v, info_.printProcessor); }
    STDMETHODIMP get_wstrDataType(BSTR* v) override { return Info1(v, info_.dataType); }
    STDMETHODIMP get_wstrParameters(BSTR* v) override { return Info1(v, info_.parameters); }
    STDMETHODIMP get_iPriority(long* v) override { return Info2(v, info_.priority); }
    STDMETHODIMP get_iDefaultPriority(long* v) override { return Info2(v, info_.defaultPriority); }
    STDMETHODIMP get_iStartTime(long* v) override { return Info2(v, info_.startTime); }
    STDMETHODIMP get_iUntilTime(long* v) override { return Info2(v, info_.untilTime); }
    STDMETHODIMP get_iJobs(long* v) override { return Info2(v, info_.jobs); }
    STDMETHODIMP get_iAveragePPM(long* v) override { return Info2(v, info_.averagePPM); }

    STDMETHODIMP get_tyAttributes(TYP_Printer_Attrib* v) override {
        return Guarded("GetAttributes", v, taDefault,
                       [&] { return static_cast<TYP_Printer_Attrib>(d::DecodeAttributes(info_.attributes).value); });
    }
    STDMETHODIMP get_wstrAttributes(BSTR* v) override {
        return Guarded("GetAttributes", v, static_cast<BSTR>(nullptr),
                       [&] { return Bstr::FromAnsi(d::DecodeAttributes(info_.attributes).text); });
    }
    STDMETHODIMP get_tyStatus(TYP_Printer_Status* v) override {
        return Guarded("GetStatus", v, tsNotAvailable,
                       [&] { return static_cast<TYP_Printer_Status>(d::DecodeStatus(info_.status).value); });
    }
    STDMETHODIMP get_wstrStatus(BSTR* v) override {
        return Guarded("GetStatus", v, static_cast<BSTR>(nullptr),
                       [&] { return Bstr::FromAnsi(d::DecodeStatus(info_.status).text); });
    }

    // ------------------------------------------------ device mode
    STDMETHODIMP get_wstrDeviceName(BSTR* v) override { return ModeText(v, d::dm::kDeviceName); }
    STDMETHODIMP get_wstrFormname(BSTR* v) override { return ModeText(v, d::dm::kFormName); }
    STDMETHODIMP get_boCollate(VARIANT_BOOL* v) override {
        return Guarded("GetCollate", v, VARIANT_FALSE,
                       [&] { return ToVariantBool(d::DecodeCollate(Mode().I16(d::dm::kCollate))); });
    }
    STDMETHODIMP get_tyOrientation(TYP_Printer_Orientation* v) override {
        return Enum16("GetOrientation", v, d::DecodeOrientation, d::dm::kOrientation);
    }
    STDMETHODIMP get_wstrOrientation(BSTR* v) override {
        return Text16("GetOrientationStr", v, d::DecodeOrientation, d::dm::kOrientation);
    }
    STDMETHODIMP get_tyQuality(TYP_Printer_Quality* v) override {
        return Enum16("GetQuality", v, d::DecodeQuality, d::dm::kPrintQuality);
    }
    STDMETHODIMP get_wstrQuality(BSTR* v) override {
        return Text16("GetQualityStr", v, d::DecodeQuality, d::dm::kPrintQuality);
    }
    STDMETHODIMP get_tyColor(TYP_Printer_Color* v) override { return Enum16("GetColor", v, d::DecodeColor, d::dm::kColor); }
    STDMETHODIMP get_wstrColor(BSTR* v) override { return Text16("GetColorStr", v, d::DecodeColor, d::dm::kColor); }
    STDMETHODIMP get_tyDuplex(TYP_Printer_Duplex* v) override {
        return Enum16("GetDuplex", v, d::DecodeDuplex, d::dm::kDuplex);
    }
    STDMETHODIMP get_wstrDuplex(BSTR* v) override { return Text16("GetDuplexStr", v, d::DecodeDuplex, d::dm::kDuplex); }
    STDMETHODIMP get_tyDefaultSource(TYP_Printer_DefaultSource* v) override {
        return Enum16("GetDefaultSource", v, d::DecodeDefaultSource, d::dm::kDefaultSource);
    }
    STDMETHODIMP get_wstrDefaultSource(BSTR* v) override {
        return Text16("GetDefaultSourceStr", v, d::DecodeDefaultSource, d::dm::kDefaultSource);
    }
    STDMETHODIMP get_tyTTOption(TYP_Printer_TTOption* v) override {
        return Enum16("GetTTOption", v, d::DecodeTTOption, d::dm::kTTOption);
    }
    STDMETHODIMP get_wstrTTOption(BSTR* v) override {
        return Text16("GetTTOptionStr", v, d::DecodeTTOption, d::dm::kTTOption);
    }
    STDMETHODIMP get_tyDisplayFlags(TYP_Printer_DisplayFlags* v) override {
        return Enum32("GetDisplayFlags", v, d::DecodeDisplayFlags, d::dm::kDisplayFlags);
    }
    STDMETHODIMP get_wstrDisplayFlags(BSTR* v) override {
        return Text32("GetDisplayFlagsStr", v, d::DecodeDisplayFlags, d::dm::kDisplayFlags);
    }
    STDMETHODIMP get_tyICMMethod(TYP_Printer_ICMMethod* v) override {
        return Enum32("GetICMMethod", v, d::DecodeICMMethod, d::dm::kICMMethod);
    }
    STDMETHODIMP get_wstrICMMethod(BSTR* v) override {
        return Text32("GetICMMethodStr", v, d::DecodeICMMethod, d::dm::kICMMethod);
    }
    STDMETHODIMP get_tyICMIntent(TYP_Printer_ICMIntent* v) override {
        return Enum32("GetICMIntent", v, d::DecodeICMIntent, d::dm::kICMIntent);
    }
    STDMETHODIMP get_wstrICMIntent(BSTR* v) override {
        return Text32("GetICMIntentStr", v, d::DecodeICMIntent, d::dm::kICMIntent);
    }
    STDMETHODIMP get_tyMediaType(TYP_Printer_MediaType* v) override {
        return Enum32("GetMediaType", v, d::DecodeMediaType, d::dm::kMediaType);
    }
    STDMETHODIMP get_wstrMediaType(BSTR* v) override {
        return Text32("GetMediaTypeStr", v, d::DecodeMediaType, d::dm::kMediaType);
    }
    STDMETHODIMP get_tyDither(TYP_Printer_Dither* v) override {
        return Enum32("GetDither", v, d::DecodeDither, d::dm::kDitherType);
    }
    STDMETHODIMP get_wstrDither(BSTR* v) override {
        return Text32("GetDitherStr", v, d::DecodeDither, d::dm::kDitherType);
    }
    STDMETHODIMP get_tyPaper(TYP_Printer_Paper* v) override {
        return Guarded("GetPaper", v, tpA4,
                       [&] { return static_cast<TYP_Printer_Paper>(d::DecodePaper(Mode().I16(d::dm::kPaperSize)).value); });
    }
    STDMETHODIMP get_wstrPaper(BSTR* v) override {
        return Guarded("GetPaper", v, static_cast<BSTR>(nullptr), [&] {
            if (!Mode().Present()) return Bstr();
            return Bstr::FromAnsi(d::DecodePaper(Mode().I16(d::dm::kPaperSize)).text);
        });
    }

    STDMETHODIMP get_iSpecVersion(long* v) override { return ModeU16(v, d::dm::kSpecVersion); }
    STDMETHODIMP get_iDriverVersion(long* v) override { return ModeU16(v, d::dm::kDriverVersion); }
    STDMETHODIMP get_iSize(long* v) override { return ModeU16(v, d::dm::kSize); }
    STDMETHODIMP get_iDriverExtra(long* v) override { return ModeU16(v, d::dm::kDriverExtra); }
    STDMETHODIMP get_iFields(long* v) override { return ModeU32(v, d::dm::kFields); }
    STDMETHODIMP get_iPaperLength(long* v) override { return ModeI16(v, d::dm::kPaperLength); }
    STDMETHODIMP get_iPaperWidth(long* v) override { return ModeI16(v, d::dm::kPaperWidth); }
    STDMETHODIMP get_iScale(long* v) override { return ModeI16(v, d::dm::kScale); }
    STDMETHODIMP get_iCopies(long* v) override { return ModeI16(v, d::dm::kCopies); }
    STDMETHODIMP get_iYResolution(long* v) override { return ModeI16(v, d::dm::kYResolution); }
    STDMETHODIMP get_iLogPixels(long* v) override { return ModeU16(v, d::dm::kLogPixels); }
    STDMETHODIMP get_iBitsPerPel(long* v) override { return ModeU32(v, d::dm::kBitsPerPel); }
    STDMETHODIMP get_iPelsWidth(long* v) override { return ModeU32(v, d::dm::kPelsWidth); }
    STDMETHODIMP get_iPelsHeight(long* v) override { return ModeU32(v, d::dm::kPelsHeight); }
    STDMETHODIMP get_iDisplayFrequency(long* v) override { return ModeU32(v, d::dm::kDisplayFrequency); }
    STDMETHODIMP get_iPanningWidth(long* v) override { return ModeU32(v, d::dm::kPanningWidth); }
    STDMETHODIMP get_iPanningHeight(long* v) override { return ModeU32(v, d::dm::kPanningHeight); }
    STDMETHODIMP get_iICCManufacturer(long* v) override { return ModeU32(v, d::dm::kICCManufacturer); }
    STDMETHODIMP get_iICCModel(long* v) override { return ModeU32(v, d::dm::kICCModel); }

    // ------------------------------------------------ the list and the current printer
    STDMETHODIMP get_iPrinterIndex(long* v) override {
        return Get(v, [&] {
            SharedPrinters shared;
            shared.System().Ensure(shared.Spooler(), SystemIsNT());
            std::string ignored;
            return static_cast<long>(shared.System().Resolve(shared.Spooler(), ignored));
        });
    }
    STDMETHODIMP put_iPrinterIndex(long value) override {
        return Call([&] {
            try {
                SharedPrinters shared;
                shared.System().Ensure(shared.Spooler(), SystemIsNT());
                if (value != shared.System().StoredIndex()) shared.System().Select(static_cast<int>(value));
            } catch (const std::exception&) {
            }
            try {
                Load();
            } catch (const RaisedError&) {
            }
        });
    }
    STDMETHODIMP get_iPrinterCount(long* v) override {
        return Get(v, [&] {
            SharedPrinters shared;
            shared.System().Ensure(shared.Spooler(), SystemIsNT());
            return static_cast<long>(shared.System().Count());
        });
    }
    STDMETHODIMP get_strlPrinters(IMxStringlist** v) override {
        return Get(v, [&] {
            std::vector<std::string> texts;
            {
                SharedPrinters shared;
                shared.System().Ensure(shared.Spooler(), SystemIsNT());
                for (const d::PrinterEntry& e : shared.System().Entries()) texts.push_back(e.text);
            }
            list_->Clear();
            for (const std::string& t : texts) {
                long at = 0;
                list_->Add(Bstr::FromAnsi(t), &at);  // errors while filling are swallowed
            }
            return list_.Copy();
        });
    }
    STDMETHODIMP get_boDefaultPrinter(VARIANT_BOOL* v) override {
        return Get(v, [&] {
            try {
                SharedPrinters shared;
                d::PrintSystem& system = shared.System();
                system.Ensure(shared.Spooler(), SystemIsNT());
                std::string error;
                const int current = system.Resolve(shared.Spooler(), error);
                const int fallback = system.DefaultPosition(shared.Spooler(), error);
                return ToVariantBool(fallback >= 0 && fallback == current);
            } catch (const std::exception&) {
                return VARIANT_FALSE;
            }
        });
    }

    // ------------------------------------------------ capabilities and refresh
    STDMETHODIMP get_rcCurveCaps(Rec_CurveCap* v) override { return Get(v, [&] { return curve_; }); }
    STDMETHODIMP get_rcLineCaps(Rec_LineCap* v) override { return Get(v, [&] { return line_; }); }
    STDMETHODIMP get_rcPolygonCaps(Rec_PolygonCap* v) override { return Get(v, [&] { return polygon_; }); }
    STDMETHODIMP get_rcRasterCaps(Rec_RasterCap* v) override { return Get(v, [&] { return raster_; }); }
    STDMETHODIMP get_rcTextCaps(Rec_TextCap* v) override { return Get(v, [&] { return text_; }); }
    STDMETHODIMP Refresh() override { return Call([&] { Load(); }); }

private:
    // Reads the current printer's information; a failure is reported and
    // leaves the information of the last refresh in place.
    void Load() { Step("GetCurrentPrinterInformation", [&] { Read(); }); }

    void Read() {
        std::string device;
        {
            SharedPrinters shared;
            d::PrintSystem& system = shared.System();
            system.Ensure(shared.Spooler(), SystemIsNT());
            std::string error;
            const int at = system.Resolve(shared.Spooler(), error);
            if (at < 0) throw Failure(error.empty() ? std::string(d::kNoDefaultPrinter) : error);
            device = system.Entries()[static_cast<size_t>(at)].device;
        }
        HANDLE printer = nullptr;
        if (!OpenPrinterA(device.data(), &printer, nullptr)) ThrowLastError();
        struct Closer {
            HANDLE h;
            ~Closer() { ClosePrinter(h); }
        } closer{printer};

        DWORD needed = 0;
        GetPrinterA(printer, 2, nullptr, 0, &needed);
        if (needed == 0) ThrowLastError();
        std::vector<BYTE> buffer(needed);
        if (!GetPrinterA(printer, 2, buffer.data(), needed, &needed)) ThrowLastError();
        const auto* p = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        PrinterInfo info;
        info.serverName = Text(p->pServerName);
        info.printerName = Text(p->pPrinterName);
        info.shareName = Text(p->pShareName);
        info.portName = Text(p->pPortName);
        info.driverName = Text(p->pDriverName);
        info.comment = Text(p->pComment);
        info.location = Text(p->pLocation);
        info.sepFile = Text(p->pSepFile);
        info.printProcessor = Text(p->pPrintProcessor);
        info.dataType = Text(p->pDatatype);
        info.parameters = Text(p->pParameters);
        info.attributes = p->Attributes;
        info.priority = p->Priority;
        info.defaultPriority = p->DefaultPriority;
        info.startTime = p->StartTime;
        info.untilTime = p->UntilTime;
        info.status = p->Status;
        info.jobs = p->cJobs;
        info.averagePPM = p->AveragePPM;
        const BYTE* mode = reinterpret_cast<const BYTE*>(p->pDevMode);
        if (mode && mode >= buffer.data() && mode < buffer.data() + buffer.size()) {
            // Never past the spooler's buffer, whatever dmSize claims.
            const size_t available = static_cast<size_t>(buffer.data() + buffer.size() - mode);
            info.devMode = d::DevMode(std::string_view(reinterpret_cast<const char*>(mode), available));
        }

        Rec_CurveCap curve{};
        Rec_LineCap line{};
        Rec_PolygonCap polygon{};
        Rec_RasterCap raster{};
        Rec_TextCap text{};
        if (HDC dc = CreateDCA(info.driverName.c_str(), device.c_str(), nullptr, nullptr)) {
            const long handle = static_cast<long>(reinterpret_cast<LONG_PTR>(dc));
            HRESULT hr = utils_->GetCurveCaps(handle, VARIANT_TRUE, &curve);
            if (SUCCEEDED(hr)) hr = utils_->GetLineCaps(handle, VARIANT_TRUE, &line);
            if (SUCCEEDED(hr)) hr = utils_->GetPolygonCaps(handle, VARIANT_TRUE, &polygon);
            if (SUCCEEDED(hr)) hr = utils_->GetRasterCaps(handle, VARIANT_TRUE, &raster);
            if (SUCCEEDED(hr)) hr = utils_->GetTextCaps(handle, VARIANT_TRUE, &text);
            DeleteDC(dc);
            Check(hr);
        }
        info_ = std::move(info);
        curve_ = curve;
        line_ = line;
        polygon_ = polygon;
        raster_ = raster;
        text_ = text;
    }

    // The device mode, refreshed once when none is stored.
    const d::DevMode& Mode() {
        if (!info_.devMode.Present()) Load();
        return info_.devMode;
    }

    HRESULT Info1(BSTR* out, const std::string& value) {
        return Guarded("GetInfo1", out, static_cast<BSTR>(nullptr), [&] { return Bstr::FromAnsi(value); });
    }
    HRESULT Info2(long* out, DWORD value) {
        return Guarded("GetInfos2", out, 0L, [&] { return static_cast<long>(value); });
    }
    HRESULT ModeText(BSTR* out, size_t offset) {
        return Guarded("GetInfo1", out, static_cast<BSTR>(nullptr),
                       [&] { return Bstr::FromAnsi(Mode().Text32(offset).value_or(std::string())); });
    }
    HRESULT ModeU16(long* out, size_t offset) {
        return Guarded("GetInfos2", out, 0L, [&] { return static_cast<long>(Mode().U16(offset).value_or(0)); });
    }
    HRESULT ModeI16(long* out, size_t offset) {
        return Guarded("GetInfos2", out, 0L, [&] { return static_cast<long>(Mode().I16(offset).value_or(0)); });
    }
    HRESULT ModeU32(long* out, size_t offset) {
        return Guarded("GetInfos2", out, 0L, [&] { return static_cast<long>(Mode().U32(offset).value_or(0)); });
    }
    template <class E>
    HRESULT Enum16(const char* member, E* out, d::Decoded (*decode)(std::optional<std::int16_t>), size_t offset) {
        return Guarded(member, out, static_cast<E>(decode(std::nullopt).value),
                       [&] { return static_cast<E>(decode(Mode().I16(offset)).value); });
    }
    HRESULT Text16(const char* member, BSTR* out, d::Decoded (*decode)(std::optional<std::int16_t>), size_t offset) {
        return Guarded(member, out, static_cast<BSTR>(nullptr),
                       [&] { return Bstr::FromAnsi(decode(Mode().I16(offset)).text); });
    }
    template <class E>
    HRESULT Enum32(const char* member, E* out, d::Decoded (*decode)(std::optional<std::uint32_t>), size_t offset) {
        return Guarded(member, out, static_cast<E>(decode(std::nullopt).value),
                       [&] { return static_cast<E>(decode(Mode().U32(offset)).value); });
    }
    HRESULT Text32(const char* member, BSTR* out, d::Decoded (*decode)(std::optional<std::uint32_t>), size_t offset) {
        return Guarded(member, out, static_cast<BSTR>(nullptr),
                       [&] { return Bstr::FromAnsi(decode(Mode().U32(offset)).text); });
    }

    ComPtr<IMxUtils> utils_;
    ComPtr<IMxStringlist> list_;
    PrinterInfo info_;
    Rec_CurveCap curve_{};
    Rec_LineCap line_{};
    Rec_PolygonCap polygon_{};
    Rec_RasterCap raster_{};
    Rec_TextCap text_{};
};

ZUNDA_CLASS(TMxPrinter);

}  // namespace zunda
