// MxDisplay: the display adapter and its registry details, the video BIOS,
// the screen's capabilities and technology, the display modes, and the five
// capability records of the screen.
#include "machine/core/display.h"
#include "server/win/frame.h"
#include "system/win/registry_win32.h"

namespace zunda {
namespace {

// The screen's device context for the length of one GetInfo.
class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {
        if (!dc_) throw Failure("GetDC() failed for the screen.");
    }
    ~ScreenDC() { ReleaseDC(nullptr, dc_); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    long Caps(int index) const { return GetDeviceCaps(dc_, index); }

private:
    HDC dc_;
};

}  // namespace

class TMxDisplay final : public Object<TMxDisplay, IMxDisplay> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDisplay, &IID_IMxDisplay, &DIID_IMxEvents, L"Zunda.MxDisplay",
                                     "MxDisplay", ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        // What cannot be created now is created again by GetInfo, which reports the failure.
        try {
            modes_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
            utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
            Devices();
        } catch (const std::exception&) {
        }
    }

    STDMETHODIMP get_wstrAdapter(BSTR* out) override { return Text(out, adapter_); }
    STDMETHODIMP get_wstrDAC(BSTR* out) override { return Text(out, details_.dac); }
    STDMETHODIMP get_wstrChipset(BSTR* out) override { return Text(out, details_.chip); }
    STDMETHODIMP get_iMemory(long* out) override { return Get(out, [&] { return long{details_.memory}; }); }
    STDMETHODIMP get_wstrTechnology(BSTR* out) override { return Text(out, technology_); }
    STDMETHODIMP get_wstrBIOSVersion(BSTR* out) override { return Text(out, bios_.version); }
    STDMETHODIMP get_wstrBIOSDate(BSTR* out) override { return Text(out, bios_.date); }
    STDMETHODIMP get_iHorzRes(long* out) override { return Value(out, horzRes_); }
    STDMETHODIMP get_iVertRes(long* out) override { return Value(out, vertRes_); }
    STDMETHODIMP get_iColorDepth(long* out) override { return Value(out, colorDepth_); }
    STDMETHODIMP get_iPixelWidth(long* out) override { return Value(out, pixelWidth_); }
    STDMETHODIMP get_iPixelHeight(long* out) override { return Value(out, pixelHeight_); }
    STDMETHODIMP get_iPixelDiagonal(long* out) override { return Value(out, pixelDiagonal_); }
    STDMETHODIMP get_strlModes(IMxStringlist** out) override {
        return Get(out, [&] { return Modes().Copy(); });
    }
    STDMETHODIMP get_rcCurveCaps(Rec_CurveCap* out) override { return Value(out, curve_); }
    STDMETHODIMP get_rcLineCaps(Rec_LineCap* out) override { return Value(out, line_); }
    STDMETHODIMP get_rcPolygonCaps(Rec_PolygonCap* out) override { return Value(out, polygon_); }
    STDMETHODIMP get_rcRasterCaps(Rec_RasterCap* out) override { return Value(out, raster_); }
    STDMETHODIMP get_rcTextCaps(Rec_TextCap* out) override { return Value(out, text_); }

    STDMETHODIMP GetInfo() override {
        return GuardedVoid("GetInfo", [&] {
            adapter_.clear();
            service_.clear();
            technology_.clear();
            bios_ = machine::VideoBios{};
            // The memory size too: a value that has gone must not leave the old figure.
            details_ = machine::AdapterDetails{};
            Check(Modes()->Clear());

            IMxDevice* devices = Devices().Get();
            Check(devices->GetInfo());

            const ScreenDC screen;
            colorDepth_ = screen.Caps(BITSPIXEL);
            horzRes_ = screen.Caps(HORZRES);
            vertRes_ = screen.Caps(VERTRES);
            pixelWidth_ = screen.Caps(ASPECTX);
            pixelHeight_ = screen.Caps(ASPECTY);
            pixelDiagonal_ = screen.Caps(ASPECTXY);

            DEVMODEA mode;
            for (DWORD i = 0;; ++i) {
                ZeroMemory(&mode, sizeof(mode));
                mode.dmSize = sizeof(mode);
                if (!EnumDisplaySettingsA(nullptr, i, &mode)) break;
                AppendLine(modes_.Get(), machine::ModeLine(mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel));
            }

            long count = 0;
            Check(devices->get_iDeviceCount(&count));
            if (count > 0) {
                ComPtr<IMxDeviceRecord> first;
                Check(devices->get_clDevice(0, first.Put()));
                if (first) {
                    Bstr text;
                    Check(first->get_wstrFriendlyName(text.Put()));
                    adapter_ = text.Ansi();
                    if (adapter_.empty()) {
                        Check(first->get_wstrDescription(text.Put()));
                        adapter_ = text.Ansi();
                    }
                    Check(first->get_wstrService(text.Put()));
                    service_ = text.Ansi();
                }
            }

            bios_ = machine::ReadVideoBios(SystemRegistry());

            ComPtr<IMxMachine> machine = CreateLibraryObject<IMxMachine>(CLSID_MxMachine);
            VARIANT_BOOL nt = VARIANT_FALSE;
            Check(machine->get_boIsNT(&nt));
            machine::ReadAdapterDetails(SystemRegistry(), nt != VARIANT_FALSE, service_, details_);

            technology_ = machine::TechnologyText(screen.Caps(TECHNOLOGY));

            if (!utils_) utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
            Check(utils_->GetCurveCaps(0, VARIANT_FALSE, &curve_));
            Check(utils_->GetLineCaps(0, VARIANT_FALSE, &line_));
            Check(utils_->GetPolygonCaps(0, VARIANT_FALSE, &polygon_));
            Check(utils_->GetRasterCaps(0, VARIANT_FALSE, &raster_));
            Check(utils_->GetTextCaps(0, VARIANT_FALSE, &text_));
        });
    }

private:
    HRESULT Text(BSTR* out, const std::string& text) {
        return Get(out, [&] { return Bstr::FromAnsi(text); });
    }
    template <class T>
    HRESULT Value(T* out, const T& value) {
        return Get(out, [&] { return value; });
    }
    ComPtr<IMxStringlist>& Modes() {
        if (!modes_) modes_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
        return modes_;
    }
    // The device list, filtered to display adapters from its creation on.
    ComPtr<IMxDevice>& Devices() {
        if (!devices_) {
            ComPtr<IMxDevice> created = CreateLibraryObject<IMxDevice>(CLSID_MxDevice);
            Check(created->put_tyFiltered(tdcDisplay));
            devices_ = created;
        }
        return devices_;
    }

    std::string adapter_, service_, technology_;
    machine::VideoBios bios_;
    machine::AdapterDetails details_;
    long horzRes_ = 0, vertRes_ = 0, colorDepth_ = 0, pixelWidth_ = 0, pixelHeight_ = 0, pixelDiagonal_ = 0;
    Rec_CurveCap curve_{};
    Rec_LineCap line_{};
    Rec_PolygonCap polygon_{};
    Rec_RasterCap raster_{};
    Rec_TextCap text_{};
    ComPtr<IMxStringlist> modes_;
    ComPtr<IMxUtils> utils_;
    ComPtr<IMxDevice> devices_;
};

ZUNDA_CLASS(TMxDisplay);

}  // namespace zunda
