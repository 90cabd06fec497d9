// Small COM helpers shared by every object class: a counted interface
// pointer, the owned BSTR and the text conversions through the system code
// page, the failures of system calls, and the creation of other library
// objects by CLSID.
#pragma once

#include "server/core/failure.h"
#include "server/win/zunda_com.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace zunda {

// A counted reference to a COM interface.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* p, bool addRef = true) : p_(p) {
        if (p_ && addRef) p_->AddRef();
    }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    void Reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Address for an [out] parameter; releases what was held.
    T** Put() {
        Reset();
        return &p_;
    }
    // Hands the reference to the caller.
    T* Detach() { return std::exchange(p_, nullptr); }
    // A new reference for an [out] parameter.
    T* Copy() const {
        if (p_) p_->AddRef();
        return p_;
    }

    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(out.Put()));
        return out;
    }

private:
    T* p_ = nullptr;
};

// A failed COM or system call that carries its own HRESULT across the
// interface boundary (the message is in the system code page).
class ComError : public std::runtime_error {
public:
    ComError(HRESULT hr, const std::string& message) : std::runtime_error(message), hr_(hr) {}
    HRESULT Code() const { return hr_; }

private:
    HRESULT hr_;
};

// The system's message text for an error code, in the system code page,
// without the trailing line break.
std::string SystemMessage(DWORD code);

// Throws Failure with the system's message for the code (or for
// GetLastError()), after `context` when one is given ("Cannot read file
// \"x\". " + message). Use it wherever a Win32 call fails.
[[noreturn]] void ThrowSystemError(DWORD code, std::string_view context = {});
[[noreturn]] void ThrowLastError(std::string_view context = {});

// Throws ComError with the system's message when hr failed.
void Check(HRESULT hr);

// 8-bit text of the system code page from UTF-16.
std::string ToAnsi(const wchar_t* text, size_t length);
inline std::string ToAnsi(std::wstring_view text) { return ToAnsi(text.data(), text.size()); }
inline std::string ToAnsi(BSTR text) { return ToAnsi(text, text ? SysStringLen(text) : 0); }
inline std::string ToAnsi(std::u16string_view text) {
    return ToAnsi(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
// A file name, path or drive letter in the system code page, converted
// without best-fit look-alikes. Throws Failure when the name does not convert
// exactly (a character the code page lacks, or a NUL inside).
std::string ToAnsiName(const wchar_t* text, size_t length);
inline std::string ToAnsiName(BSTR text) { return ToAnsiName(text, text ? SysStringLen(text) : 0); }
inline std::wstring_view BstrView(BSTR text) {
    return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
}
inline std::u16string_view U16View(BSTR text) {
    return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text))
                : std::u16string_view();
}

// An owned BSTR: frees its string, moves, and hands it out with Release().
// The two ways to make one from text throw std::bad_alloc when memory runs
// out, which every guard of the frame answers with E_OUTOFMEMORY.
//
//   Bstr name = Bstr::FromAnsi(record.label);   // 8-bit text of the system code page
//   Check(list->Add(name, &index));             // passes as a BSTR argument
//   *out = Bstr::FromWide(L"text").Release();   // hands the string to the caller
class Bstr {
public:
    Bstr() noexcept = default;
    // Takes ownership of a string allocated by the system.
    explicit Bstr(BSTR owned) noexcept : b_(owned) {}
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept {
        if (this != &o) {
            Reset();
            b_ = std::exchange(o.b_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { Reset(); }

    static Bstr FromWide(std::wstring_view text);
    static Bstr FromWide(std::u16string_view text) {
        return FromWide(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
    }
    static Bstr FromAnsi(std::string_view text);

    BSTR Get() const noexcept { return b_; }
    operator BSTR() const noexcept { return b_; }
    // Address for an [out] parameter; frees what was held.
    BSTR* Put() noexcept {
        Reset();
        return &b_;
    }
    // Hands the string to the caller, who frees it.
    BSTR Release() noexcept { return std::exchange(b_, nullptr); }
    void Reset() noexcept {
        if (b_) SysFreeString(std::exchange(b_, nullptr));
    }

    std::wstring_view View() const noexcept { return BstrView(b_); }
    std::string Ansi() const { return ToAnsi(b_); }

private:
    BSTR b_ = nullptr;
};

inline VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// Creates a library object by CLSID through COM activation, as an outside
// client would, and returns its interface I. Throws ComError with the system
// message when the class is not available (for example, not registered).
template <class I>
ComPtr<I> CreateLibraryObject(REFCLSID clsid) {
    ComPtr<IUnknown> unknown;
    Check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                           reinterpret_cast<void**>(unknown.Put())));
    ComPtr<I> out;
    Check(unknown->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out.Put())));
    return out;
}

}  // namespace zunda
