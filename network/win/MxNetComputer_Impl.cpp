// MxNetComputer: one computer of the network neighbourhood, by name.
#include "server/win/frame.h"

namespace zunda {

class TMxNetComputer final : public Object<TMxNetComputer, IMxNetComputer> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxNetComputer, &IID_IMxNetComputer, nullptr, L"Zunda.MxNetComputer",
                                     nullptr, ErrorEvent::None, false};

    STDMETHODIMP get_wstrName(BSTR* out) override {
        return Get(out, [&] { return Bstr::FromWide(std::wstring_view(name_)); });
    }
    STDMETHODIMP put_wstrName(BSTR value) override {
        return Call([&] { name_.assign(BstrView(value)); });
    }

private:
    std::wstring name_;
};

ZUNDA_CLASS(TMxNetComputer);

}  // namespace zunda
