// The object frame every automation class of the library is built on:
// reference counting and the server's object count, IDispatch driven by the
// type library, ISupportErrorInfo, the single connection point, the error
// state with its error routine, and the guards that turn failures into the
// library's error convention. A class declares its ClassInfo and its own
// members; everything else comes from here.
#pragma once

#include "server/win/com_util.h"
#include "server/win/module.h"

#include <functional>
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
// Deliberately not a std::exception: a catch block for ordinary failures
// never swallows it, only the guards below turn it into the raised error.
class RaisedError {
public:
    explicit RaisedError(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept { return text_.c_str(); }

private:
    std::string text_;
};

// What the exception being handled means for a call: the HRESULT to return
// and the text of the error information. The one place that maps exceptions
// to results; call it only inside a catch block.
//   RaisedError          E_UNEXPECTED, its text
//   ComError             its own HRESULT, its text
//   std::bad_alloc       E_OUTOFMEMORY, "Out of memory."
//   other std::exception E_UNEXPECTED, its text
//   anything else        E_UNEXPECTED, "Unexpected failure."
struct CaughtFailure {
    HRESULT code;
    std::string text;
};
CaughtFailure CurrentFailure() noexcept;

// Publishes error information (description, source ProgID, default IID) for the calling thread.
void PublishErrorInfo(const ClassInfo& info, const std::string& ansiText) noexcept;

// Fills an EXCEPINFO for a failure raised by a member that returns its value directly.
void FillExcepInfo(const ClassInfo& info, const std::string& ansiText, HRESULT code, EXCEPINFO* ei) noexcept;

// Adds one line (8-bit text of the system code page) to a string list being filled.
using AddText = std::function<void(const std::string&)>;

// Appends a line to an MxStringlist; throws on failure.
void AppendLine(IMxStringlist* list, const std::string& ansiText);

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
    HRESULT code = E_UNEXPECTED;
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
        return Get(value, [&] { return Bstr::FromAnsi(errors_.lastError); });
    }
    STDMETHODIMP put_wstrLastErrorMessage(BSTR value) {
        return Call([&] { errors_.lastError = ToAnsi(value); });
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
    // Every member runs in one of these. Failures are C++ exceptions
    // (Failure, ComError, any std::exception); the guards apply the library's
    // convention. Out of memory always ends the call with E_OUTOFMEMORY, and
    // the raise-to-client signal always reaches the caller.

    // The error routine: "[member]: message" into the last error text, then
    // OnError to a connected sink, or a raised error when asked for.
    void ReportError(std::string_view member, std::string_view message) { errors_.Report(member, message); }

    // One step of a member that reports its failure through the error
    // routine under `member` and lets the member go on (list fills, Refresh,
    // WriteLog). Returns whether the step succeeded. Out of memory and the
    // raise-to-client signal pass through and end the call.
    //
    //   for (char letter : letters)
    //       if (!Step("AddNew", [&] { AddRecord(letter); })) break;
    template <class F>
    bool Step(const char* member, F&& work) {
        try {
            work();
            return true;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            ReportError(member, e.what());
            return false;
        }
    }

    // A member that returns HRESULT and has no guard of its own: any failure
    // leaves it as E_UNEXPECTED (or the failure's own HRESULT) with error information.
    template <class F>
    HRESULT Call(F&& work) noexcept {
        try {
            work();
            return S_OK;
        } catch (...) {
            const CaughtFailure f = CurrentFailure();
            PublishErrorInfo(Impl::kInfo, f.text);
            return f.code;
        }
    }

    // An unguarded member with an [out, retval] value. The work may return a
    // Bstr for a BSTR value.
    template <class T, class F>
    HRESULT Get(T* out, F&& work) noexcept {
        if (!out) return E_POINTER;
        *out = T{};
        return Call([&] { *out = TakeValue<T>(work()); });
    }

    // A property that hands out one of the object's texts (8-bit, system
    // code page) or numbers as it stands.
    HRESULT GetText(BSTR* out, std::string_view ansi) noexcept {
        return Get(out, [&] { return Bstr::FromAnsi(ansi); });
    }
    template <class N>
    HRESULT GetNumber(long* out, N value) noexcept {
        static_assert(std::is_integral_v<N>);
        return Get(out, [&] { return static_cast<long>(value); });
    }

    // A guarded member with an [out, retval] value: on failure the value is
    // `failure` and the error routine runs with `member`.
    template <class T, class F>
    HRESULT Guarded(const char* member, T* out, T failure, F&& work) noexcept {
        if (!out) return E_POINTER;
        *out = T{};
        // cppcheck-suppress throwInNoexceptFunction ; Call catches every exception of the member's work
        return Call([&] {
            if (!Step(member, [&] { *out = TakeValue<T>(work()); })) {
                ReleaseValue(*out);
                *out = failure;
            }
        });
    }

    // A guarded member without a value.
    template <class F>
    HRESULT GuardedVoid(const char* member, F&& work) noexcept {
        // cppcheck-suppress throwInNoexceptFunction ; Call catches every exception of the member's work
        return Call([&] { Step(member, work); });
    }

    // A member that returns its value directly (no HRESULT). With a member
    // name it is guarded; without one a failure leaves the error text alone.
    // Either way a failure never crosses the interface: the caller gets
    // `failure`, error information is published when the failure is one an
    // HRESULT member would have reported, and late-bound callers see it as an
    // exception. The work may return a Bstr for a BSTR result.
    template <class T, class F>
    T Direct(const char* member, T failure, F&& work) noexcept {
        try {
            T value{};
            if (!member) return TakeValue<T>(work());
            if (Step(member, [&] { value = TakeValue<T>(work()); })) return value;
        } catch (...) {
            PendingFailed();
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

    // ------------------------------------------------ string-list properties
    //
    // A strl... property that returns one of the object's own lists: the list
    // is created on first use, cleared, filled, and handed out as a new
    // reference (the same object on every read). With a member name, a
    // failure of the fill goes to the error routine and the list keeps what
    // was added so far; without one it fails the call.
    //
    //   STDMETHODIMP get_strlFonts(IMxStringlist** out) override {
    //       return OwnedList("Get_strlFonts", fonts_, out, [&](const AddText& add) { add("Arial"); });
    //   }
    template <class F>
    HRESULT OwnedList(const char* member, ComPtr<IMxStringlist>& list, IMxStringlist** out, F&& fill) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        // cppcheck-suppress throwInNoexceptFunction ; Call catches every exception of the member's work
        return Call([&] {
            FillStep(member, [&] {
                if (!list) list = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
                Check(list->Clear());
                fill(AddText([&](const std::string& line) { AppendLine(list.Get(), line); }));
            });
            *out = list.Copy();
        });
    }

    // A list created for this call and owned by the caller. A failure of the
    // fill goes to the error routine under `member` (or fails the call
    // without one); the caller then gets no list.
    template <class F>
    HRESULT NewList(const char* member, IMxStringlist** out, F&& fill) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        // cppcheck-suppress throwInNoexceptFunction ; Call catches every exception of the member's work
        return Call([&] {
            ComPtr<IMxStringlist> list;
            const bool filled = FillStep(member, [&] {
                list = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
                fill(AddText([&](const std::string& line) { AppendLine(list.Get(), line); }));
            });
            if (filled) *out = list.Detach();
        });
    }

    ErrorState& Errors() { return errors_; }
    ConnectionPoint* Point() { return point_; }

    // Fires an event of the class's own source interface (args last first).
    void FireEvent(DISPID id, VARIANTARG* args, UINT count) {
        if (point_) point_->Fire(id, args, count);
    }

private:
    // A step under `member`, or a step whose failure ends the call without one.
    template <class F>
    bool FillStep(const char* member, F&& work) {
        if (member) return Step(member, work);
        work();
        return true;
    }
    template <class T, class V>
    static T TakeValue(V&& v) {
        if constexpr (std::is_same_v<std::decay_t<V>, Bstr>)
            return v.Release();
        else
            return std::forward<V>(v);
    }
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
    void PendingFailed() noexcept {
        const CaughtFailure f = CurrentFailure();
        PublishErrorInfo(Impl::kInfo, f.text);
        try {
            pending_.text = f.text;
        } catch (...) {
        }
        pending_.code = f.code;
        pending_.set = true;
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
