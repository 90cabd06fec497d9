// The object frame every automation class of the library is built on:
// reference counting and the server's object count, IDispatch driven by the
// type library, ISupportErrorInfo, the single connection point, the error
// state with its error routine, and the guards that turn failures into the
// library's error convention. A class declares its ClassInfo and its own
// members; everything else comes from here.
#pragma once

#include "server/win/com_util.h"
#include "server/win/module.h"

#include <new>
#include <string>
#include <string_view>
#include <type_traits>

namespace zunda {

// How the error routine reaches a connected sink.
enum class ErrorEvent {
    None,                    // no error event
    ModuleProcedureMessage,  // IMxEvents.OnError(module, procedure, message), DISPID 1
    ProcedureMessage,        // OnError(procedure, message), DISPID 2 of the class's own events
};

struct ClassInfo {
    const CLSID* clsid;
    const IID* defaultIid;    // the dispatch interface; also the GUID of published error information
    const IID* sourceIid;     // the one outgoing interface, or nullptr
    const wchar_t* progId;    // "Zunda.<ObjectClass>"
    const char* moduleName;   // passed as first OnError argument (ModuleProcedureMessage)
    ErrorEvent errorEvent;
    bool offersContainer;     // IConnectionPointContainer (empty when there is no source interface)
};

// Thrown by the error routine when a failure is to be raised to the caller.
class RaisedError : public std::runtime_error {
public:
    explicit RaisedError(const std::string& text) : std::runtime_error(text) {}
};

// Publishes error information (description, source ProgID, default IID) for the calling thread.
void PublishErrorInfo(const ClassInfo& info, const std::string& ansiText);

// Fills an EXCEPINFO for a failure raised by a member that returns its value directly.
void FillExcepInfo(const ClassInfo& info, const std::string& ansiText, EXCEPINFO* ei);

// ---------------------------------------------------------------- connection point

// The one outgoing connection point of an object. It shares its owner's
// lifetime (AddRef and Release go to the owner), accepts a single sink, and
// fires events through IDispatch::Invoke ignoring whatever the sink returns,
// so a failing or incomplete handler never disturbs the object.
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, const IID& iid)
        : owner_(owner), container_(container), iid_(iid) {}
    ~ConnectionPoint() { Disconnect(); }
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** cpc) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** e) override;

    bool Connected() const { return sink_ != nullptr; }
    // args in IDispatch order (last argument first).
    void Fire(DISPID id, VARIANTARG* args, UINT count);
    void Disconnect();

private:
    IUnknown* owner_;
    IConnectionPointContainer* container_;
    IID iid_;
    IDispatch* sink_ = nullptr;
    DWORD cookie_ = 0;
    DWORD nextCookie_ = 1;
};

HRESULT EnumOneConnectionPoint(IConnectionPoint* cp, IEnumConnectionPoints** e);

// ---------------------------------------------------------------- error state

// The error state of an object and its error routine.
class ErrorState {
public:
    explicit ErrorState(const ClassInfo& info) : info_(info) {}

    std::string lastError;   // "[member]: message", 8-bit
    bool raiseErrors = false;

    // Stores the text, then fires OnError to a connected sink, or throws
    // RaisedError when no sink is connected and raising is on.
    void Report(std::string_view member, std::string_view message);

    const ClassInfo& Info() const { return info_; }
    ConnectionPoint* point = nullptr;  // set by the object frame when it has one

private:
    const ClassInfo& info_;
};

// ---------------------------------------------------------------- dispatch

// IDispatch from the type information of the default interface. Members whose
// parameters or results the system's type-library invoker may refuse
// (character pointers, records, IUnknown-only interfaces) are called by the
// frame itself; everything else is delegated to the type information.
struct PendingFailure;
HRESULT FrameInvoke(const ClassInfo& info, void* self, PendingFailure& pending, DISPID id, WORD flags,
                    DISPPARAMS* params, VARIANT* result, EXCEPINFO* ei, UINT* argErr);
HRESULT FrameGetIDsOfNames(const ClassInfo& info, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT FrameGetTypeInfo(const ClassInfo& info, UINT index, ITypeInfo** ti);

// Set when a member that returns its value directly failed in a way an
// HRESULT member would have reported to its caller; Invoke turns it into an
// exception for late-bound callers. Objects live on one thread, so one per
// object suffices.
struct PendingFailure {
    bool set = false;
    std::string text;
};

// ---------------------------------------------------------------- the object template

template <class Impl, class Itf>
class Object : public Itf, public ISupportErrorInfo, public IConnectionPointContainer {
public:
    static constexpr bool kDispatch = std::is_base_of_v<IDispatch, Itf>;
    static constexpr bool kBase = std::is_base_of_v<IMxBaseInterface, Itf>;

    Object() : errors_(Impl::kInfo) {
        ModuleObjectCreated();
        // Read through a variable: a constant address compared with null would warn.
        const IID* source = Impl::kInfo.sourceIid;
        if (source) {
            point_ = new ConnectionPoint(static_cast<Itf*>(this), this, *source);
            errors_.point = point_;
        }
    }
    virtual ~Object() {
        delete point_;
        ModuleObjectDestroyed();
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Called once after construction; classes create their internal objects here.
    void Initialize() {}

    // ------------------------------------------------ IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        IUnknown* out = nullptr;
        if (riid == IID_IUnknown || riid == __uuidof(Itf)) {
            out = static_cast<Itf*>(this);
        } else if constexpr (kDispatch) {
            if (riid == IID_IDispatch) out = static_cast<Itf*>(this);
        }
        if (!out) {
            if constexpr (kBase) {
                if (riid == IID_IMxBaseInterface) out = static_cast<Itf*>(this);
            }
        }
        if (!out && kDispatch && riid == IID_ISupportErrorInfo) out = static_cast<ISupportErrorInfo*>(this);
        if (!out && Impl::kInfo.offersContainer && riid == IID_IConnectionPointContainer)
            out = static_cast<IConnectionPointContainer*>(this);
        if (!out) return E_NOINTERFACE;
        out->AddRef();
        *ppv = out;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete static_cast<Impl*>(this);
        return static_cast<ULONG>(n);
    }

    // ------------------------------------------------ IDispatch (for dispatch interfaces)
    STDMETHODIMP GetTypeInfoCount(UINT* count) {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** ti) { return FrameGetTypeInfo(Impl::kInfo, index, ti); }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
        return FrameGetIDsOfNames(Impl::kInfo, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* ei, UINT* argErr) {
        return FrameInvoke(Impl::kInfo, static_cast<Itf*>(this), pending_, id, flags, params, result, ei,
                           argErr);
    }

    // ------------------------------------------------ IMxBaseInterface (for derived interfaces)
    STDMETHODIMP get_wstrLastErrorMessage(BSTR* value) {
        if (!value) return E_POINTER;
        *value = AnsiToBstr(errors_.lastError);
        return *value ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP put_wstrLastErrorMessage(BSTR value) {
        errors_.lastError = ToAnsi(value);
        return S_OK;
    }
    STDMETHODIMP get_boRaiseErrors(VARIANT_BOOL* value) {
        if (!value) return E_POINTER;
        *value = ToVariantBool(errors_.raiseErrors);
        return S_OK;
    }
    STDMETHODIMP put_boRaiseErrors(VARIANT_BOOL value) {
        errors_.raiseErrors = value != 0;
        return S_OK;
    }

    // ------------------------------------------------ ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
        if (riid == __uuidof(Itf)) return S_OK;
        if constexpr (kBase) {
            if (riid == IID_IMxBaseInterface) return S_OK;
        }
        return S_FALSE;
    }

    // ------------------------------------------------ IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override {
        return EnumOneConnectionPoint(point_, e);
    }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** cp) override {
        if (!cp) return E_POINTER;
        *cp = nullptr;
        IID iid;
        if (!point_ || FAILED(point_->GetConnectionInterface(&iid)) || riid != iid) return CONNECT_E_NOCONNECTION;
        point_->AddRef();
        *cp = point_;
        return S_OK;
    }

protected:
    // ------------------------------------------------ guards
    //
    // Every member runs in one of these. Failures are C++ exceptions (Failure,
    // ComError, std::exception); the guards apply the library's convention.

    // The error routine: "[member]: message" into the last error text, then
    // OnError to a connected sink, or a raised error when asked for.
    void ReportError(std::string_view member, std::string_view message) { errors_.Report(member, message); }

    // A member that returns HRESULT and has no guard of its own: any failure
    // leaves it as E_UNEXPECTED (or the failure's own HRESULT) with error information.
    template <class F>
    HRESULT Call(F&& work) noexcept {
        try {
            work();
            return S_OK;
        } catch (const ComError& e) {
            PublishErrorInfo(Impl::kInfo, e.what());
            return e.Code();
        } catch (const std::bad_alloc&) {
            PublishErrorInfo(Impl::kInfo, "Out of memory.");
            return E_OUTOFMEMORY;
        } catch (const std::exception& e) {
            PublishErrorInfo(Impl::kInfo, e.what());
            return E_UNEXPECTED;
        } catch (...) {
            PublishErrorInfo(Impl::kInfo, "Unexpected failure.");
            return E_UNEXPECTED;
        }
    }

    // An unguarded member with an [out, retval] value.
    template <class T, class F>
    HRESULT Get(T* out, F&& work) noexcept {
        if (!out) return E_POINTER;
        *out = T{};
        return Call([&] { *out = work(); });
    }

    // A guarded member with an [out, retval] value: on failure the value is
    // `failure` and the error routine runs with `member`.
    template <class T, class F>
    HRESULT Guarded(const char* member, T* out, T failure, F&& work) noexcept {
        if (!out) return E_POINTER;
        *out = T{};
        return Call([&] {
            try {
                *out = work();
            } catch (const RaisedError&) {
                throw;
            } catch (const std::exception& e) {
                ReleaseValue(*out);
                *out = failure;
                ReportError(member, e.what());
            }
        });
    }

    // A guarded member without a value.
    template <class F>
    HRESULT GuardedVoid(const char* member, F&& work) noexcept {
        return Call([&] {
            try {
                work();
            } catch (const RaisedError&) {
                throw;
            } catch (const std::exception& e) {
                ReportError(member, e.what());
            }
        });
    }

    // A member that returns its value directly (no HRESULT). With a member
    // name it is guarded; without one a failure leaves the error text alone.
    // Either way a failure never crosses the interface: the caller gets
    // `failure`, error information is published when the failure is one an
    // HRESULT member would have reported, and late-bound callers see it as an
    // exception.
    template <class T, class F>
    T Direct(const char* member, T failure, F&& work) noexcept {
        try {
            try {
                return work();
            } catch (const RaisedError&) {
                throw;
            } catch (const std::exception& e) {
                if (!member) throw;
                ReportError(member, e.what());
                return failure;
            }
        } catch (const std::exception& e) {
            PendingFailed(e.what());
        } catch (...) {
            PendingFailed("Unexpected failure.");
        }
        return failure;
    }

    template <class F>
    void DirectVoid(const char* member, F&& work) noexcept {
        Direct<int>(member, 0, [&] {
            work();
            return 0;
        });
    }

    ErrorState& Errors() { return errors_; }
    ConnectionPoint* Point() { return point_; }

    // Fires an event of the class's own source interface (args last first).
    void FireEvent(DISPID id, VARIANTARG* args, UINT count) {
        if (point_) point_->Fire(id, args, count);
    }

private:
    static void ReleaseValue(BSTR& s) {
        if (s) SysFreeString(s);
        s = nullptr;
    }
    template <class T>
    static void ReleaseValue(T& v) {
        if constexpr (std::is_pointer_v<T> && std::is_base_of_v<IUnknown, std::remove_pointer_t<T>>) {
            if (v) v->Release();
            v = nullptr;
        }
    }
    void PendingFailed(const char* text) noexcept {
        try {
            PublishErrorInfo(Impl::kInfo, text);
            pending_.set = true;
            pending_.text = text;
        } catch (...) {
        }
    }

    LONG refs_ = 1;
    ErrorState errors_;
    ConnectionPoint* point_ = nullptr;
    PendingFailure pending_;
};

// Creates an object of class Impl and returns interface riid of it.
template <class Impl>
HRESULT CreateObject(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    Impl* object = nullptr;
    try {
        object = new Impl();
        object->Initialize();
    } catch (const std::bad_alloc&) {
        if (object) object->Release();
        return E_OUTOFMEMORY;
    } catch (...) {
        if (object) object->Release();
        return E_UNEXPECTED;
    }
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

// Adds a class to the server's factory table when the library is loaded.
struct ClassRegistrar {
    ClassRegistrar(const ClassInfo& info, HRESULT (*create)(REFIID, void**)) { RegisterClassFactory(info, create); }
};

#define ZUNDA_CLASS(Impl) static ::zunda::ClassRegistrar zunda_registrar_##Impl(Impl::kInfo, &::zunda::CreateObject<Impl>)

}  // namespace zunda
