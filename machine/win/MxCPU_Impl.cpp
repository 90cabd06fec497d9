// MxCPU: the first processor's identification, worked out by GetInfos when
// the object is created and whenever a client asks again.
#include "machine/core/cpu.h"
#include "machine/win/cpu_x86.h"
#include "server/win/flag_record.h"
#include "server/win/frame.h"

namespace zunda {
namespace {

class Win32Cpu final : public machine::CpuPlatform {
public:
    explicit Win32Cpu(ComPtr<IMxUtils>& utils) : utils_(utils) {}
    std::string ProcessorRegString(const std::string& name) override {
        if (!utils_) utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
        Bstr out;
        Check(utils_->ReadRegString(static_cast<ZundaHKEY>(0x80000002u),
                                    Bstr::FromAnsi("HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0"),
                                    Bstr::FromAnsi(name), out.Put()));
        return out.Ansi();
    }
    machine::CpuidRegs Cpuid(std::uint32_t leaf) override { return ExecuteCpuid(leaf); }
    machine::TimingSource& Timing() override { return timing_; }

private:
    ComPtr<IMxUtils>& utils_;
    Win32Timing timing_;
};

}  // namespace

class TMxCPU final : public Object<TMxCPU, IMxCPU> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxCPU, &IID_IMxCPU, &DIID_IMxEvents, L"Zunda.MxCPU", "MxCPU",
                                     ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        try {
            utils_ = CreateLibraryObject<IMxUtils>(CLSID_MxUtils);
        } catch (const std::exception&) {
            // The registry block reports it when it runs.
        }
        // No sink can be connected yet and raising is off: failures only
        // leave their text.
        try {
            Run();
        } catch (...) {
        }
    }

    STDMETHODIMP GetInfos() override {
        return Call([&] { Run(); });
    }

    STDMETHODIMP get_wstrVendorReg(BSTR* out) override { return GetText(out, info_.vendorReg); }
    STDMETHODIMP get_wstrVendorIDReg(BSTR* out) override { return GetText(out, info_.identifierReg); }
    STDMETHODIMP get_wstrVendorCPUID(BSTR* out) override { return GetText(out, info_.vendorString); }
    STDMETHODIMP get_wstrVendor(BSTR* out) override { return GetText(out, info_.vendorShort); }
    STDMETHODIMP get_wstrVendorEx(BSTR* out) override { return GetText(out, info_.vendorCompany); }
    STDMETHODIMP get_wstrVendorID(BSTR* out) override { return GetText(out, info_.modelName); }
    STDMETHODIMP get_wstrSerialNumber(BSTR* out) override { return GetText(out, info_.serialNumber); }
    STDMETHODIMP get_wstrCodename(BSTR* out) override { return GetText(out, info_.codeName); }
    STDMETHODIMP get_wstrVendorIDCPUID(BSTR* out) override { return GetText(out, info_.brandString); }

    STDMETHODIMP get_iTyp(long* out) override { return GetNumber(out, info_.signature.type); }
    STDMETHODIMP get_iLevel(long* out) override { return GetNumber(out, info_.level); }
    STDMETHODIMP get_iFrequency(long* out) override { return GetNumber(out, info_.frequency); }
    STDMETHODIMP get_iStepping(long* out) override { return GetNumber(out, info_.signature.stepping); }
    STDMETHODIMP get_iModel(long* out) override { return GetNumber(out, info_.signature.model); }
    STDMETHODIMP get_iFamily(long* out) override { return GetNumber(out, info_.signature.family); }
    STDMETHODIMP get_iBrand(long* out) override { return GetNumber(out, info_.signature.brand); }
    STDMETHODIMP get_iCPUVendor(long* out) override { return GetNumber(out, info_.vendorIndex); }
    STDMETHODIMP get_iTransistors(long* out) override { return GetNumber(out, info_.transistors); }
    STDMETHODIMP get_iL1Data(long* out) override { return GetNumber(out, info_.caches.level1Data); }
    STDMETHODIMP get_iL1Code(long* out) override { return GetNumber(out, info_.caches.level1Code); }
    STDMETHODIMP get_iLevel1(long* out) override { return GetNumber(out, info_.caches.level1); }
    STDMETHODIMP get_iLevel2(long* out) override { return GetNumber(out, info_.caches.level2); }

    STDMETHODIMP get_boFDIVBug(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(info_.fdivBug); });
    }
    STDMETHODIMP get_rcFeatures(Rec_CPU_Features* out) override {
        return Get(out, [&] { return FlagRecord<Rec_CPU_Features>(info_.features); });
    }

private:
    void Run() {
        machine::GetInfos(cpu_, info_, [&](const std::string& message) { ReportError("GetInfos", message); });
    }

    ComPtr<IMxUtils> utils_;
    Win32Cpu cpu_{utils_};
    machine::CpuInfo info_;
};

ZUNDA_CLASS(TMxCPU);

}  // namespace zunda
