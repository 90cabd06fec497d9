// MxDirectX: the installed DirectX version and the names of the Direct3D
// drivers, DirectPlay services and DirectMusic synthesizers.
#include "machine/core/directx.h"
#include "server/win/frame.h"
#include "system/win/registry_win32.h"

namespace zunda {

class TMxDirectX final : public Object<TMxDirectX, IMxDirectX> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDirectX, &IID_IMxDirectX, &DIID_IMxEvents, L"Zunda.MxDirectX",
                                     "MxDirectX", ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        try {
            for (ComPtr<IMxStringlist>& list : lists_) list = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
        } catch (const std::exception&) {
            // GetInfos creates what is missing and reports when it cannot.
        }
        GetInfos();
    }

    STDMETHODIMP get_wstrVersion(BSTR* out) override {
        return Get(out, [&] { return Bstr::FromAnsi(version_); });
    }
    STDMETHODIMP get_strlDirect3D(IMxStringlist** out) override { return Own(out, 0); }
    STDMETHODIMP get_strlDirectPlay(IMxStringlist** out) override { return Own(out, 1); }
    STDMETHODIMP get_strlDirectMusic(IMxStringlist** out) override { return Own(out, 2); }

    STDMETHODIMP GetInfos() override {
        return GuardedVoid("GetInfos", [&] {
            for (ComPtr<IMxStringlist>& list : lists_) {
                if (!list) list = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
                Check(list->Clear());
            }
            if (!Step("GetDXVersion", [&] { version_ = machine::DirectXVersion(SystemRegistry()); }))
                version_ = machine::kNotInstalled;
            static constexpr const char* kKeys[3] = {machine::kDirect3DDrivers, machine::kDirectPlayServices,
                                                     machine::kDirectMusicSynths};
            for (int i = 0; i < 3; ++i) {
                IMxStringlist* list = lists_[i].Get();
                Step("OpenKeyValues", [&] {
                    machine::SubkeyDescriptions(SystemRegistry(), kKeys[i],
                                                [&](const std::string& line) { AppendLine(list, line); });
                });
            }
        });
    }

private:
    // The object's own list, the same one on every read.
    HRESULT Own(IMxStringlist** out, int which) {
        return Get(out, [&] {
            ComPtr<IMxStringlist>& list = lists_[which];
            if (!list) list = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
            return list.Copy();
        });
    }

    std::string version_ = machine::kNotInstalled;
    ComPtr<IMxStringlist> lists_[3];
};

ZUNDA_CLASS(TMxDirectX);

}  // namespace zunda
