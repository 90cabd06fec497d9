#include "server/win/frame.h"

#include "server/core/dispatch_args.h"

#include <map>
#include <memory>
#include <vector>

namespace zunda {

// ---------------------------------------------------------------- error information

CaughtFailure CurrentFailure() noexcept {
    try {
        try {
            // cppcheck-suppress rethrowNoCurrentException ; called only inside a catch block, as documented
            throw;
        } catch (const RaisedError& e) {
            return {E_UNEXPECTED, e.what()};
        } catch (const ComError& e) {
            return {e.Code(), e.what()};
        } catch (const std::bad_alloc&) {
            return {E_OUTOFMEMORY, "Out of memory."};
        } catch (const std::exception& e) {
            return {E_UNEXPECTED, e.what()};
        } catch (...) {
            return {E_UNEXPECTED, "Unexpected failure."};
        }
    } catch (...) {
        // Not even the text could be kept.
        return {E_OUTOFMEMORY, std::string()};
    }
}

void PublishErrorInfo(const ClassInfo& info, const std::string& ansiText) noexcept {
    try {
        ComPtr<ICreateErrorInfo> create;
        if (FAILED(CreateErrorInfo(create.Put()))) return;
        create->SetGUID(*info.defaultIid);
        create->SetSource(const_cast<LPOLESTR>(info.progId));
        create->SetDescription(Bstr::FromAnsi(ansiText));
        create->SetHelpContext(0);
        ComPtr<IErrorInfo> error = create.As<IErrorInfo>();
        if (error) SetErrorInfo(0, error.Get());
    } catch (...) {
        // Without memory for the description the failure keeps its HRESULT only.
    }
}

void FillExcepInfo(const ClassInfo& info, const std::string& ansiText, HRESULT code, EXCEPINFO* ei) noexcept {
    if (!ei) return;
    memset(ei, 0, sizeof(*ei));
    ei->scode = code;
    try {
        ei->bstrSource = Bstr::FromWide(info.progId).Release();
        ei->bstrDescription = Bstr::FromAnsi(ansiText).Release();
    } catch (...) {
    }
}

namespace {

// What the system invoker does with a failed HRESULT: DISP_E_EXCEPTION with
// the error information the member published.
HRESULT ExceptionFromErrorInfo(HRESULT failed, EXCEPINFO* ei) {
    if (ei) {
        memset(ei, 0, sizeof(*ei));
        ei->scode = failed;
        IErrorInfo* error = nullptr;
        if (GetErrorInfo(0, &error) == S_OK && error) {
            error->GetSource(&ei->bstrSource);
            error->GetDescription(&ei->bstrDescription);
            error->GetHelpFile(&ei->bstrHelpFile);
            error->GetHelpContext(&ei->dwHelpContext);
            error->Release();
        }
    }
    return DISP_E_EXCEPTION;
}

}  // namespace

void AppendLine(IMxStringlist* list, const std::string& ansiText) {
    LONG index = 0;
    Check(list->Add(Bstr::FromAnsi(ansiText), &index));
}

// ---------------------------------------------------------------- error routine

void ErrorState::Report(std::string_view member, std::string_view message) {
    std::string text;
    text.reserve(member.size() + message.size() + 4);
    text.append("[").append(member).append("]: ").append(message);
    lastError = text;
    if (point && point->Connected()) {
        if (info_.errorEvent == ErrorEvent::None) return;
        // IDispatch takes the arguments last first.
        Bstr texts[3] = {Bstr::FromAnsi(message), Bstr::FromAnsi(member), Bstr()};
        UINT count = 2;
        DISPID id = 2;
        if (info_.errorEvent == ErrorEvent::ModuleProcedureMessage) {
            texts[count++] = Bstr::FromAnsi(info_.moduleName ? info_.moduleName : "");
            id = 1;
        }
        VARIANTARG args[3];
        for (UINT i = 0; i < count; ++i) {
            args[i].vt = VT_BSTR;
            args[i].bstrVal = texts[i];
        }
        point->Fire(id, args, count);
        return;
    }
    if (raiseErrors) throw RaisedError(text);
}

// ---------------------------------------------------------------- enumerators

namespace {

template <class Enum, class Item, const IID& EnumIid>
class OneItemEnum final : public Enum {
public:
    OneItemEnum(const std::vector<Item>& items, size_t pos) : items_(items), pos_(pos) {
        for (Item& i : items_) AddRefItem(i);
    }
    ~OneItemEnum() {
        for (Item& i : items_) ReleaseItem(i);
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == EnumIid) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        ULONG n = 0;
        while (n < count && pos_ < items_.size()) {
            out[n] = items_[pos_++];
            AddRefItem(out[n]);
            ++n;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        pos_ += count;
        if (pos_ > items_.size()) {
            pos_ = items_.size();
            return S_FALSE;
        }
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        pos_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) OneItemEnum(items_, pos_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    static void AddRefItem(CONNECTDATA& d) {
        if (d.pUnk) d.pUnk->AddRef();
    }
    static void ReleaseItem(CONNECTDATA& d) {
        if (d.pUnk) d.pUnk->Release();
    }
    static void AddRefItem(IConnectionPoint* p) {
        if (p) p->AddRef();
    }
    static void ReleaseItem(IConnectionPoint* p) {
        if (p) p->Release();
    }
    LONG refs_ = 1;
    std::vector<Item> items_;
    size_t pos_;
};

using ConnectionsEnum = OneItemEnum<IEnumConnections, CONNECTDATA, IID_IEnumConnections>;
using PointsEnum = OneItemEnum<IEnumConnectionPoints, IConnectionPoint*, IID_IEnumConnectionPoints>;

}  // namespace

HRESULT EnumOneConnectionPoint(IConnectionPoint* cp, IEnumConnectionPoints** e) {
    if (!e) return E_POINTER;
    std::vector<IConnectionPoint*> items;
    if (cp) items.push_back(cp);
    *e = new (std::nothrow) PointsEnum(items, 0);
    return *e ? S_OK : E_OUTOFMEMORY;
}

// ---------------------------------------------------------------- connection point

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
    if (!cpc) return E_POINTER;
    container_->AddRef();
    *cpc = container_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    if (sink_) return CONNECT_E_ADVISELIMIT;
    void* events = nullptr;
    HRESULT hr = sink->QueryInterface(iid_, &events);
    if (FAILED(hr)) return hr;
    if (!events) return E_NOINTERFACE;
    sink_ = static_cast<IDispatch*>(events);
    cookie_ = nextCookie_++;
    *cookie = cookie_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    if (!sink_ || cookie != cookie_) return CONNECT_E_NOCONNECTION;
    Disconnect();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** e) {
    if (!e) return E_POINTER;
    std::vector<CONNECTDATA> items;
    if (sink_) items.push_back({sink_, cookie_});
    *e = new (std::nothrow) ConnectionsEnum(items, 0);
    return *e ? S_OK : E_OUTOFMEMORY;
}

void ConnectionPoint::Disconnect() {
    if (sink_) {
        IDispatch* old = sink_;
        sink_ = nullptr;
        cookie_ = 0;
        old->Release();
    }
}

void ConnectionPoint::Fire(DISPID id, VARIANTARG* args, UINT count) {
    if (!sink_) return;
    ComPtr<IDispatch> sink(sink_);  // the handler may disconnect while it runs
    DISPPARAMS params = {args, nullptr, count, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO ei;
    memset(&ei, 0, sizeof(ei));
    UINT argErr = 0;
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &ei, &argErr);
    VariantClear(&result);
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrHelpFile);
}

// ---------------------------------------------------------------- dispatch

namespace {

using DispCallFuncFn = HRESULT(WINAPI*)(void*, ULONG_PTR, CALLCONV, VARTYPE, UINT, VARTYPE*, VARIANTARG**, VARIANT*);

DispCallFuncFn ResolveDispCallFunc() {
    HMODULE oleaut = GetModuleHandleA("oleaut32.dll");
    if (!oleaut) return nullptr;
    return reinterpret_cast<DispCallFuncFn>(reinterpret_cast<void*>(GetProcAddress(oleaut, "DispCallFunc")));
}

// How the frame passes one declared parameter or result.
enum class Shape { Plain, WideChars, AnsiChars, Record, UnknownOnly };

struct SpecialMember {
    MEMBERID id;
    INVOKEKIND kind;
    const FUNCDESC* desc;
};

// How many arguments a member takes: its parameters without its result.
struct MemberArgs {
    MEMBERID id;
    INVOKEKIND kind;
    unsigned inputs;
};

struct InterfaceInfo {
    ComPtr<ITypeInfo> dispatchView;  // what Invoke and GetIDsOfNames use
    ComPtr<ITypeInfo> vtableView;    // the declared vtable members
    std::vector<SpecialMember> specials;
    std::vector<MemberArgs> members;  // of the interface and its bases below IDispatch
};

// Records the argument counts of every member of an interface and of the
// interfaces it derives from, up to IDispatch.
void CollectMembers(ITypeInfo* ti, std::vector<MemberArgs>& out, int depth = 0) {
    TYPEATTR* ta = nullptr;
    if (depth > 8 || FAILED(ti->GetTypeAttr(&ta))) return;
    const GUID guid = ta->guid;
    const WORD funcs = ta->cFuncs;
    const WORD bases = ta->cImplTypes;
    ti->ReleaseTypeAttr(ta);
    if (guid == IID_IDispatch || guid == IID_IUnknown) return;
    for (UINT i = 0; i < funcs; ++i) {
        FUNCDESC* fd = nullptr;
        if (FAILED(ti->GetFuncDesc(i, &fd))) continue;
        unsigned inputs = 0;
        for (SHORT p = 0; p < fd->cParams; ++p)
            if (!(fd->lprgelemdescParam[p].paramdesc.wParamFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID))) ++inputs;
        out.push_back({fd->memid, fd->invkind, inputs});
        ti->ReleaseFuncDesc(fd);
    }
    HREFTYPE h = 0;
    ComPtr<ITypeInfo> base;
    if (bases > 0 && SUCCEEDED(ti->GetRefTypeOfImplType(0, &h)) && SUCCEEDED(ti->GetRefTypeInfo(h, base.Put())))
        CollectMembers(base.Get(), out, depth + 1);
}

const MemberArgs* FindMember(const InterfaceInfo& info, DISPID id, WORD flags) {
    for (const MemberArgs& m : info.members) {
        if (m.id != id) continue;
        if ((m.kind == INVOKE_FUNC && (flags & DISPATCH_METHOD)) ||
            (m.kind == INVOKE_PROPERTYGET && (flags & DISPATCH_PROPERTYGET)) ||
            (m.kind == INVOKE_PROPERTYPUT && (flags & DISPATCH_PROPERTYPUT)) ||
            (m.kind == INVOKE_PROPERTYPUTREF && (flags & DISPATCH_PROPERTYPUTREF)))
            return &m;
    }
    return nullptr;
}

// Follows aliases; enumerations become VT_I4.
TYPEDESC Resolve(ITypeInfo* ti, const TYPEDESC& td, ComPtr<ITypeInfo>* refOut = nullptr, TYPEKIND* kindOut = nullptr) {
    TYPEDESC cur = td;
    ComPtr<ITypeInfo> owner(ti);
    for (int guard = 0; guard < 16 && cur.vt == VT_USERDEFINED; ++guard) {
        ComPtr<ITypeInfo> ref;
        if (FAILED(owner->GetRefTypeInfo(cur.hreftype, ref.Put()))) break;
        TYPEATTR* ta = nullptr;
        if (FAILED(ref->GetTypeAttr(&ta))) break;
        TYPEKIND kind = ta->typekind;
        WORD flags = ta->wTypeFlags;
        TYPEDESC alias = ta->tdescAlias;
        ref->ReleaseTypeAttr(ta);
        if (kind == TKIND_ALIAS) {
            cur = alias;
            owner = ref;
            continue;
        }
        if (kind == TKIND_ENUM) {
            cur.vt = VT_I4;
            break;
        }
        if (refOut) *refOut = ref;
        if (kindOut) *kindOut = (kind == TKIND_INTERFACE && (flags & TYPEFLAG_FDISPATCHABLE)) ? TKIND_DISPATCH : kind;
        break;
    }
    return cur;
}

Shape ShapeOf(ITypeInfo* ti, const TYPEDESC& declared) {
    TYPEDESC td = Resolve(ti, declared);
    if (td.vt == VT_LPWSTR) return Shape::WideChars;
    if (td.vt == VT_LPSTR) return Shape::AnsiChars;
    if (td.vt == VT_PTR && td.lptdesc) {
        TYPEKIND kind = TKIND_MAX;
        TYPEDESC inner = Resolve(ti, *td.lptdesc, nullptr, &kind);
        if (inner.vt == VT_USERDEFINED && kind == TKIND_RECORD) return Shape::Record;
        if (inner.vt == VT_PTR && inner.lptdesc) {
            TYPEKIND k2 = TKIND_MAX;
            TYPEDESC target = Resolve(ti, *inner.lptdesc, nullptr, &k2);
            if (target.vt == VT_USERDEFINED && k2 == TKIND_INTERFACE) return Shape::UnknownOnly;
        }
    }
    return Shape::Plain;
}

bool IsSpecial(ITypeInfo* ti, const FUNCDESC* fd) {
    for (SHORT i = 0; i < fd->cParams; ++i) {
        const ELEMDESC& p = fd->lprgelemdescParam[i];
        Shape s = ShapeOf(ti, p.tdesc);
        if (s == Shape::WideChars || s == Shape::AnsiChars) return true;
        if ((p.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) && (s == Shape::Record || s == Shape::UnknownOnly))
            return true;
    }
    return false;
}

std::map<GUID, std::unique_ptr<InterfaceInfo>, bool (*)(const GUID&, const GUID&)>& InterfaceCache() {
    static std::map<GUID, std::unique_ptr<InterfaceInfo>, bool (*)(const GUID&, const GUID&)> cache(
        [](const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) < 0; });
    return cache;
}

HRESULT InterfaceInfoFor(REFIID iid, InterfaceInfo** out) {
    {
        ModuleLock lock;
        auto& cache = InterfaceCache();
        auto it = cache.find(iid);
        if (it != cache.end()) {
            *out = it->second.get();
            return S_OK;
        }
    }
    ComPtr<ITypeInfo> ti;
    HRESULT hr = ModuleTypeInfo(iid, ti.Put());
    if (FAILED(hr)) return hr;
    ModuleLock lock;
    auto& cache = InterfaceCache();
    auto it = cache.find(iid);
    if (it != cache.end()) {
        *out = it->second.get();
        return S_OK;
    }
    auto info = std::make_unique<InterfaceInfo>();
    info->dispatchView = ti;
    info->vtableView = ti;
    TYPEATTR* ta = nullptr;
    if (SUCCEEDED(ti->GetTypeAttr(&ta))) {
        bool dual = ta->typekind == TKIND_DISPATCH && (ta->wTypeFlags & TYPEFLAG_FDUAL);
        ti->ReleaseTypeAttr(ta);
        if (dual) {
            HREFTYPE h = 0;
            ComPtr<ITypeInfo> vt;
            if (SUCCEEDED(ti->GetRefTypeOfImplType(static_cast<UINT>(-1), &h)) &&
                SUCCEEDED(ti->GetRefTypeInfo(h, vt.Put())))
                info->vtableView = vt;
        }
    }
    TYPEATTR* va = nullptr;
    if (SUCCEEDED(info->vtableView->GetTypeAttr(&va))) {
        WORD funcs = va->cFuncs;
        info->vtableView->ReleaseTypeAttr(va);
        for (UINT i = 0; i < funcs; ++i) {
            FUNCDESC* fd = nullptr;
            if (FAILED(info->vtableView->GetFuncDesc(i, &fd))) continue;
            // The descriptions of the members the frame calls itself are kept
            // for the life of the process, like the type information.
            if (IsSpecial(info->vtableView.Get(), fd))
                info->specials.push_back({fd->memid, fd->invkind, fd});
            else
                info->vtableView->ReleaseFuncDesc(fd);
        }
    }
    CollectMembers(info->vtableView.Get(), info->members);
    *out = info.get();
    cache.emplace(iid, std::move(info));
    return S_OK;
}

const SpecialMember* FindSpecial(const InterfaceInfo& info, DISPID id, WORD flags) {
    for (const SpecialMember& s : info.specials) {
        if (s.id != id) continue;
        if (s.kind == INVOKE_FUNC && (flags & DISPATCH_METHOD)) return &s;
        if (s.kind == INVOKE_PROPERTYGET && (flags & DISPATCH_PROPERTYGET)) return &s;
    }
    return nullptr;
}

// Calls a member through its vtable slot with the arguments converted as the
// declared types need: a string (or a character code) for a character
// pointer, a record result as VT_RECORD, an IUnknown-only interface result as
// VT_UNKNOWN.
class SpecialCall {
public:
    SpecialCall(ITypeInfo* ti, const FUNCDESC* fd) : ti_(ti), fd_(fd) {}
    ~SpecialCall() {
        for (UINT i = 0; i < count_; ++i)
            if (!(args_[i].vt & VT_BYREF)) VariantClear(&args_[i]);
        if (recordInfo_) recordInfo_->Release();
    }

    HRESULT Run(DispCallFuncFn call, void* self, DISPPARAMS* dp, VARIANT* result, EXCEPINFO* ei, UINT* argErr) {
        if (dp->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
        const UINT n = static_cast<UINT>(fd_->cParams);
        bool hasRet = n > 0 && (fd_->lprgelemdescParam[n - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
        const UINT inputs = hasRet ? n - 1 : n;
        if (dp->cArgs > inputs) return DISP_E_BADPARAMCOUNT;
        if (n > kMaxParams) return DISP_E_BADPARAMCOUNT;
        count_ = n;
        for (UINT i = 0; i < n; ++i) VariantInit(&args_[i]);

        for (UINT i = 0; i < inputs; ++i) {
            HRESULT hr = Argument(i, dp);
            if (FAILED(hr)) {
                if (argErr && i < dp->cArgs) *argErr = dp->cArgs - 1 - i;
                return hr;
            }
        }
        if (hasRet) {
            HRESULT hr = PrepareResult(n - 1);
            if (FAILED(hr)) return hr;
        }
        for (UINT i = 0; i < n; ++i) ptrs_[i] = &args_[i];

        TYPEDESC retDesc = Resolve(ti_, fd_->elemdescFunc.tdesc);
        const bool returnsHresult = retDesc.vt == VT_HRESULT;
        VARTYPE retVt = returnsHresult ? static_cast<VARTYPE>(VT_ERROR)
                                        : (retDesc.vt == VT_VOID ? static_cast<VARTYPE>(VT_EMPTY) : retDesc.vt);
        VARIANT ret;
        VariantInit(&ret);
        HRESULT hr = call(self, static_cast<ULONG_PTR>(fd_->oVft), CC_STDCALL, retVt, n, types_, ptrs_, &ret);
        if (FAILED(hr)) return hr;
        if (returnsHresult && FAILED(ret.scode)) {
            DiscardResult();
            return ExceptionFromErrorInfo(ret.scode, ei);
        }
        if (hasRet) return DeliverResult(result);
        if (result) {
            VariantInit(result);
            if (!returnsHresult && retVt != VT_EMPTY) {
                *result = ret;  // the callee handed its value over
                result->vt = retVt;
            }
        } else if (!returnsHresult) {
            ret.vt = retVt;
            VariantClear(&ret);
        }
        return S_OK;
    }

private:
    HRESULT Argument(UINT i, DISPPARAMS* dp) {
        const ELEMDESC& ed = fd_->lprgelemdescParam[i];
        VARIANT* src = i < dp->cArgs ? &dp->rgvarg[dp->cArgs - 1 - i] : nullptr;
        if (src && src->vt == (VT_BYREF | VT_VARIANT)) src = src->pvarVal;
        bool missing = !src || (src->vt == VT_ERROR && src->scode == DISP_E_PARAMNOTFOUND);
        VARIANT fallback;
        VariantInit(&fallback);
        if (missing) {
            if ((ed.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) && ed.paramdesc.pparamdescex) {
                VariantCopy(&fallback, &ed.paramdesc.pparamdescex->varDefaultValue);
                src = &fallback;
            } else if (ed.paramdesc.wParamFlags & PARAMFLAG_FOPT) {
                fallback.vt = VT_ERROR;
                fallback.scode = DISP_E_PARAMNOTFOUND;
                src = &fallback;
            } else {
                return DISP_E_PARAMNOTOPTIONAL;
            }
        }
        HRESULT hr = Convert(i, ed, src);
        VariantClear(&fallback);
        return hr;
    }

    HRESULT Convert(UINT i, const ELEMDESC& ed, VARIANT* src) {
        TYPEDESC td = Resolve(ti_, ed.tdesc);
        VARIANT* value = src;
        if (value->vt & VT_BYREF) {
            // A by-reference argument for an in-parameter: read what it points at.
            if (FAILED(VariantCopyInd(&scratch_, value))) return DISP_E_TYPEMISMATCH;
            value = &scratch_;
        }
        HRESULT hr = S_OK;
        if (td.vt == VT_LPWSTR || td.vt == VT_LPSTR) {
            const bool wide = td.vt == VT_LPWSTR;
            bool isNull = value->vt == VT_EMPTY || value->vt == VT_NULL;
            if (!isNull) {
                if (value->vt == VT_BSTR) {
                    wide_[i].assign(BstrView(value->bstrVal));
                } else {
                    VARIANT code;
                    VariantInit(&code);
                    if (FAILED(VariantChangeType(&code, value, 0, VT_I4))) {
                        VariantClear(&scratch_);
                        return DISP_E_TYPEMISMATCH;
                    }
                    wide_[i].assign(1, static_cast<wchar_t>(code.lVal & 0xFFFF));
                }
                if (!wide) narrow_[i] = ToAnsi(wide_[i].data(), wide_[i].size());
            }
            args_[i].vt = VT_BYREF | VT_UI1;
            args_[i].byref = isNull ? nullptr
                                    : (wide ? static_cast<void*>(wide_[i].data()) : static_cast<void*>(narrow_[i].data()));
            types_[i] = VT_BYREF | VT_UI1;
        } else if (td.vt == VT_VARIANT) {
            hr = VariantCopy(&args_[i], value);
            types_[i] = VT_VARIANT;
        } else if (td.vt == VT_PTR || td.vt == VT_USERDEFINED || td.vt == VT_SAFEARRAY || td.vt == VT_CARRAY) {
            hr = DISP_E_BADVARTYPE;
        } else {
            hr = VariantChangeType(&args_[i], value, 0, td.vt);
            if (FAILED(hr)) hr = DISP_E_TYPEMISMATCH;
            types_[i] = td.vt;
        }
        VariantClear(&scratch_);
        return hr;
    }

    HRESULT PrepareResult(UINT i) {
        const TYPEDESC& declared = fd_->lprgelemdescParam[i].tdesc;
        retShape_ = ShapeOf(ti_, declared);
        TYPEDESC td = Resolve(ti_, declared);
        if (td.vt != VT_PTR || !td.lptdesc) return DISP_E_BADVARTYPE;
        size_t size = sizeof(VARIANT);
        if (retShape_ == Shape::Record) {
            ComPtr<ITypeInfo> rec;
            TYPEKIND kind = TKIND_MAX;
            Resolve(ti_, *td.lptdesc, &rec, &kind);
            if (!rec) return DISP_E_BADVARTYPE;
            TYPEATTR* ta = nullptr;
            if (FAILED(rec->GetTypeAttr(&ta))) return DISP_E_BADVARTYPE;
            size = ta->cbSizeInstance > size ? ta->cbSizeInstance : size;
            rec->ReleaseTypeAttr(ta);
            recordType_ = rec;
        } else if (retShape_ == Shape::Plain) {
            retVt_ = Resolve(ti_, *td.lptdesc).vt;
        }
        if (size > sizeof(retBuffer_)) return DISP_E_BADVARTYPE;
        memset(retBuffer_, 0, sizeof(retBuffer_));
        retUsed_ = true;
        args_[i].vt = VT_BYREF | VT_UI1;
        args_[i].byref = retBuffer_;
        types_[i] = VT_BYREF | VT_UI1;
        return S_OK;
    }

    void DiscardResult() {
        if (!retUsed_) return;
        if (retShape_ == Shape::UnknownOnly) {
            IUnknown* p = *reinterpret_cast<IUnknown**>(retBuffer_);
            if (p) p->Release();
        } else if (retShape_ == Shape::Plain && retVt_ == VT_BSTR) {
            SysFreeString(*reinterpret_cast<BSTR*>(retBuffer_));
        }
        retUsed_ = false;
    }

    HRESULT DeliverResult(VARIANT* result) {
        if (!result) {
            DiscardResult();
            return S_OK;
        }
        VariantInit(result);
        if (retShape_ == Shape::UnknownOnly) {
            IUnknown* p = *reinterpret_cast<IUnknown**>(retBuffer_);
            result->vt = VT_UNKNOWN;
            result->punkVal = p;
        } else if (retShape_ == Shape::Record) {
            HRESULT hr = GetRecordInfoFromTypeInfo(recordType_.Get(), &recordInfo_);
            if (FAILED(hr)) return hr;
            void* copy = nullptr;
            hr = recordInfo_->RecordCreateCopy(retBuffer_, &copy);
            if (FAILED(hr)) return hr;
            result->vt = VT_RECORD;
            result->pvRecord = copy;
            result->pRecInfo = recordInfo_;
            recordInfo_ = nullptr;  // the variant owns it now
        } else {
            // A plain value: the storage has the value's own layout.
            VARIANT v;
            VariantInit(&v);
            memcpy(&v.llVal, retBuffer_, sizeof(v.llVal));
            v.vt = retVt_;
            *result = v;
        }
        retUsed_ = false;
        return S_OK;
    }

    ITypeInfo* ti_;
    const FUNCDESC* fd_;
    // The library's members take at most a handful of parameters.
    static constexpr UINT kMaxParams = 16;
    UINT count_ = 0;
    VARIANTARG args_[kMaxParams];
    VARTYPE types_[kMaxParams] = {};
    VARIANTARG* ptrs_[kMaxParams] = {};
    std::wstring wide_[kMaxParams];
    std::string narrow_[kMaxParams];
    VARIANT scratch_ = {};
    Shape retShape_ = Shape::Plain;
    VARTYPE retVt_ = VT_EMPTY;
    alignas(8) unsigned char retBuffer_[64] = {};  // records of up to 32 flags, or one value
    bool retUsed_ = false;
    ComPtr<ITypeInfo> recordType_;
    IRecordInfo* recordInfo_ = nullptr;
};

}  // namespace

HRESULT FrameGetTypeInfo(const ClassInfo& info, UINT index, ITypeInfo** ti) {
    if (!ti) return E_POINTER;
    *ti = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    InterfaceInfo* ii = nullptr;
    HRESULT hr = InterfaceInfoFor(*info.defaultIid, &ii);
    if (FAILED(hr)) return hr;
    *ti = ii->dispatchView.Copy();
    return S_OK;
}

HRESULT FrameGetIDsOfNames(const ClassInfo& info, LPOLESTR* names, UINT count, DISPID* ids) {
    // The system's lookup reads the arrays unchecked.
    if (!names || count == 0) return E_INVALIDARG;
    if (!ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        if (!names[i]) return E_INVALIDARG;
    InterfaceInfo* ii = nullptr;
    HRESULT hr = InterfaceInfoFor(*info.defaultIid, &ii);
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(ii->dispatchView.Get(), names, count, ids);
}

HRESULT FrameInvoke(const ClassInfo& info, void* self, PendingFailure& pending, DISPID id, WORD flags,
                    DISPPARAMS* params, VARIANT* result, EXCEPINFO* ei, UINT* argErr) {
    InterfaceInfo* ii = nullptr;
    HRESULT hr = InterfaceInfoFor(*info.defaultIid, &ii);
    if (FAILED(hr)) return hr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    if ((params->cArgs > 0 && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs > 0 && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    // Arguments the member does not take are refused before it runs, as the
    // system's dispatcher on Windows does (Wine's would run the member).
    if (const MemberArgs* m = FindMember(*ii, id, flags)) {
        static_assert(sizeof(DISPID) == sizeof(std::int32_t), "DISPIDs are 32-bit");
        const ArgumentCheck check =
            CheckArguments(m->inputs, (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0, params->cArgs,
                           reinterpret_cast<const std::int32_t*>(params->rgdispidNamedArgs), params->cNamedArgs);
        if (check.problem == ArgumentProblem::TooMany) return DISP_E_BADPARAMCOUNT;
        if (check.problem == ArgumentProblem::UnknownName) {
            if (argErr) *argErr = check.namedIndex;
            return DISP_E_PARAMNOTFOUND;
        }
    }

    PendingFailure outer = std::move(pending);
    pending = PendingFailure();
    static const DispCallFuncFn call = ResolveDispCallFunc();
    const SpecialMember* special = call ? FindSpecial(*ii, id, flags) : nullptr;
    if (special) {
        SpecialCall c(ii->vtableView.Get(), special->desc);
        hr = c.Run(call, self, params, result, ei, argErr);
    } else {
        hr = ii->dispatchView->Invoke(self, id, flags, params, result, ei, argErr);
    }
    if (SUCCEEDED(hr) && pending.set) {
        if (result) VariantClear(result);
        FillExcepInfo(info, pending.text, pending.code, ei);
        hr = DISP_E_EXCEPTION;
    }
    pending = std::move(outer);
    return hr;
}

}  // namespace zunda
