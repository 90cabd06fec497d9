// Helpers for the Windows-side tests: creating library objects the way
// clients do, late-bound calls by name, and an event sink that records what
// it receives.
#pragma once

#include "server/win/com_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zunda::test {

// Creates an object by ProgID and returns its IDispatch.
ComPtr<IDispatch> CreateByProgId(const wchar_t* progId);

// Creates an object by CLSID and returns interface I.
template <class I>
ComPtr<I> Create(REFCLSID clsid) {
    ComPtr<I> out;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(I), reinterpret_cast<void**>(out.Put()));
    EXPECT_EQ(hr, S_OK) << "CoCreateInstance";
    return out;
}

// A VARIANT that clears itself.
struct Var : VARIANT {
    Var() { VariantInit(this); }
    explicit Var(const wchar_t* s) {
        VariantInit(this);
        vt = VT_BSTR;
        bstrVal = SysAllocString(s);
    }
    explicit Var(long v) {
        VariantInit(this);
        vt = VT_I4;
        lVal = v;
    }
    explicit Var(double v, VARTYPE type = VT_R8) {
        VariantInit(this);
        vt = type;
        dblVal = v;
    }
    static Var Bool(bool b) {
        Var v;
        v.vt = VT_BOOL;
        v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    Var(const Var& o) {
        VariantInit(this);
        VariantCopy(this, const_cast<Var*>(&o));
    }
    Var& operator=(const Var& o) {
        if (this != &o) VariantCopy(this, const_cast<Var*>(&o));
        return *this;
    }
    ~Var() { VariantClear(this); }
    std::wstring Str() const;  // the value as text (VariantChangeType)
};

struct CallResult {
    HRESULT hr = S_OK;
    Var value;
    std::wstring source;       // of the exception, when hr is DISP_E_EXCEPTION
    std::wstring description;
    SCODE scode = 0;
};

// Calls a member by name through IDispatch (arguments in declaration order).
CallResult Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Var> args = {});
inline CallResult Method(IDispatch* o, const wchar_t* name, std::vector<Var> args = {}) {
    return Invoke(o, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}
inline CallResult PropGet(IDispatch* o, const wchar_t* name, std::vector<Var> args = {}) {
    return Invoke(o, name, DISPATCH_PROPERTYGET, std::move(args));
}
HRESULT PropPut(IDispatch* o, const wchar_t* name, Var value, std::vector<Var> indexArgs = {});

// An event sink for any outgoing interface: records each call's DISPID and
// its arguments as text (in declaration order). It can be told to fail its
// handler, or to implement no member at all.
class RecordingSink : public IDispatch {
public:
    enum class Mode { Record, Fail, NoMembers };
    explicit RecordingSink(const IID& events, Mode mode = Mode::Record) : events_(events), mode_(mode) {}
    virtual ~RecordingSink() = default;

    struct Call {
        DISPID id;
        std::vector<std::wstring> args;
    };
    std::vector<Call> calls;
    // For by-reference BSTR arguments: replacement texts written back by the handler, per position.
    std::vector<std::pair<UINT, std::wstring>> writeBack;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
    LONG Refs() const { return refs_; }

private:
    IID events_;
    Mode mode_;
    LONG refs_ = 1;
};

// Connects a sink to an object's connection point for `events`.
HRESULT Advise(IUnknown* object, const IID& events, IUnknown* sink, DWORD* cookie);
HRESULT Unadvise(IUnknown* object, const IID& events, DWORD cookie);

// The thread's error information (GetErrorInfo, which also clears it).
struct ErrorInfoText {
    bool present = false;
    std::wstring description;
    std::wstring source;
    GUID guid = {};
};
ErrorInfoText TakeErrorInfo();

// DllCanUnloadNow of the loaded library, asked until it answers S_OK (worker
// threads may still be leaving) or a few seconds have passed.
HRESULT LibraryCanUnloadSoon();

// A registry string as the library's registry reads give it; empty when missing.
std::wstring RegText(HKEY root, const char* key, const char* value);

inline std::wstring W(BSTR s) { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }

// Frees a BSTR result of a direct-result member and returns its text.
inline std::wstring Take(BSTR s) {
    std::wstring out = W(s);
    SysFreeString(s);
    return out;
}

// Reads a property early-bound, expecting S_OK.
template <class I, class T>
T Read(I* object, HRESULT (STDMETHODCALLTYPE I::*get)(T*)) {
    T v{};
    EXPECT_EQ((object->*get)(&v), S_OK);
    return v;
}
template <class I>
std::wstring ReadText(I* object, HRESULT (STDMETHODCALLTYPE I::*get)(BSTR*)) {
    return Take(Read(object, get));
}

// The entries of a string list, early-bound.
template <class List>
std::vector<std::wstring> ListItems(List* list) {
    std::vector<std::wstring> out;
    LONG n = 0;
    EXPECT_EQ(list->get_Count(&n), S_OK);
    for (LONG i = 0; i < n; ++i) {
        BSTR s = nullptr;
        EXPECT_EQ(list->get_Strings(i, &s), S_OK);
        out.push_back(Take(s));
    }
    return out;
}

}  // namespace zunda::test
