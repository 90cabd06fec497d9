// MxNetWorkgroup: one workgroup of the network neighbourhood, its name and
// its computers as MxNetComputer objects.
#include "server/win/frame.h"
#include "server/win/record_list.h"

namespace zunda {

class TMxNetWorkgroup final : public Object<TMxNetWorkgroup, IMxNetWorkgroup> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxNetWorkgroup, &IID_IMxNetWorkgroup, &DIID_IMxEvents,
                                     L"Zunda.MxNetWorkgroup", "MxNetWorkgroup", ErrorEvent::None, true};

    STDMETHODIMP get_wstrName(BSTR* out) override {
        return Get(out, [&] { return Bstr::FromWide(std::wstring_view(name_)); });
    }
    STDMETHODIMP put_wstrName(BSTR value) override {
        return Call([&] { name_.assign(BstrView(value)); });
    }
    STDMETHODIMP get_clComputer(long index, IMxNetComputer** out) override {
        return Get(out, [&] { return computers_.At(index); });
    }
    STDMETHODIMP get_iCount(long* out) override {
        return Get(out, [&] { return computers_.Count(); });
    }
    STDMETHODIMP AddComputer(BSTR name) override {
        return Call([&] {
            if (BstrView(name).empty()) throw ComError(E_INVALIDARG, "The computer name is empty.");
            ComPtr<IMxNetComputer> computer = CreateLibraryObject<IMxNetComputer>(CLSID_MxNetComputer);
            Check(computer->put_wstrName(name));
            computers_.Add(computer);
        });
    }

private:
    std::wstring name_;
    RecordList<IMxNetComputer> computers_;
};

ZUNDA_CLASS(TMxNetWorkgroup);

}  // namespace zunda
