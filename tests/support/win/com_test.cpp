#include "tests/support/win/com_test.h"

namespace zunda::test {

ComPtr<IDispatch> CreateByProgId(const wchar_t* progId) {
    CLSID clsid;
    ComPtr<IDispatch> out;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    EXPECT_EQ(hr, S_OK) << "CLSIDFromProgID";
    if (FAILED(hr)) return out;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(out.Put()));
    EXPECT_EQ(hr, S_OK) << "CoCreateInstance";
    return out;
}

std::wstring Var::Str() const {
    Var copy;
    if (FAILED(VariantChangeType(&copy, const_cast<Var*>(this), VARIANT_ALPHABOOL, VT_BSTR))) return L"<?>";
    return W(copy.bstrVal);
}

CallResult Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Var> args) {
    CallResult out;
    DISPID id = 0;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    out.hr = object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(out.hr)) return out;
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPPARAMS dp = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO ei = {};
    UINT argErr = 0;
    out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, &out.value, &ei, &argErr);
    // The reversed copies share the argument data with `args`; only `args` owns it.
    if (out.hr == DISP_E_EXCEPTION) {
        out.source = W(ei.bstrSource);
        out.description = W(ei.bstrDescription);
        out.scode = ei.scode;
    }
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrHelpFile);
    return out;
}

HRESULT PropPut(IDispatch* object, const wchar_t* name, Var value, std::vector<Var> indexArgs) {
    DISPID id = 0;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANTARG> reversed;
    reversed.push_back(value);
    for (auto it = indexArgs.rbegin(); it != indexArgs.rend(); ++it) reversed.push_back(*it);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp = {reversed.data(), &named, static_cast<UINT>(reversed.size()), 1};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &dp, nullptr, nullptr, nullptr);
}

STDMETHODIMP RecordingSink::QueryInterface(REFIID riid, void** ppv) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == events_) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP RecordingSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    if (mode_ == Mode::NoMembers) return DISP_E_MEMBERNOTFOUND;
    Call call{id, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
        VARIANT& v = params->rgvarg[i];
        if (v.vt == (VT_BYREF | VT_BSTR)) {
            call.args.push_back(W(*v.pbstrVal));
        } else {
            Var copy;
            VariantCopyInd(&copy, &v);
            call.args.push_back(copy.Str());
        }
    }
    for (auto& [pos, text] : writeBack) {
        if (pos >= params->cArgs) continue;
        VARIANT& v = params->rgvarg[params->cArgs - 1 - pos];
        if (v.vt == (VT_BYREF | VT_BSTR)) {
            SysFreeString(*v.pbstrVal);
            *v.pbstrVal = SysAllocString(text.c_str());
        }
    }
    calls.push_back(std::move(call));
    return mode_ == Mode::Fail ? E_FAIL : S_OK;
}

HRESULT Advise(IUnknown* object, const IID& events, IUnknown* sink, DWORD* cookie) {
    ComPtr<IConnectionPointContainer> cpc;
    HRESULT hr = object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(cpc.Put()));
    if (FAILED(hr)) return hr;
    ComPtr<IConnectionPoint> cp;
    hr = cpc->FindConnectionPoint(events, cp.Put());
    if (FAILED(hr)) return hr;
    return cp->Advise(sink, cookie);
}

HRESULT Unadvise(IUnknown* object, const IID& events, DWORD cookie) {
    ComPtr<IConnectionPointContainer> cpc;
    HRESULT hr = object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(cpc.Put()));
    if (FAILED(hr)) return hr;
    ComPtr<IConnectionPoint> cp;
    hr = cpc->FindConnectionPoint(events, cp.Put());
    if (FAILED(hr)) return hr;
    return cp->Unadvise(cookie);
}

ErrorInfoText TakeErrorInfo() {
    ErrorInfoText out;
    IErrorInfo* e = nullptr;
    if (GetErrorInfo(0, &e) != S_OK || !e) return out;
    out.present = true;
    BSTR d = nullptr, s = nullptr;
    e->GetDescription(&d);
    e->GetSource(&s);
    e->GetGUID(&out.guid);
    out.description = W(d);
    out.source = W(s);
    SysFreeString(d);
    SysFreeString(s);
    e->Release();
    return out;
}

HRESULT LibraryCanUnloadSoon() {
    HMODULE module = GetModuleHandleW(L"Zunda.dll");
    if (!module) return E_FAIL;
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    if (!canUnload) return E_FAIL;
    HRESULT hr = S_FALSE;
    for (int i = 0; i < 100 && (hr = canUnload()) != S_OK; ++i) Sleep(50);
    return hr;
}

std::wstring RegText(HKEY root, const char* key, const char* value) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return L"";
    char buf[1024] = {};
    DWORD size = sizeof(buf) - 1, type = 0;
    LONG rc = RegQueryValueExA(k, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) return L"";
    return std::wstring(Bstr::FromAnsi(buf).View());
}

}  // namespace zunda::test
