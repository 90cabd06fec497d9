// Helpers for the Windows-side tests of the text classes.
#pragma once

#include "tests/support/win/com_test.h"

#include <string>

namespace zunda::test {

// A BSTR argument that frees itself.
class Bstr {
public:
    explicit Bstr(const wchar_t* text) : s_(text ? SysAllocString(text) : nullptr) {}
    explicit Bstr(const std::wstring& text) : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(s_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return s_; }

private:
    BSTR s_;
};

// A null VARIANT argument (VT_NULL) for a late-bound call.
inline Var NullArg() {
    Var v;
    v.vt = VT_NULL;
    return v;
}

inline std::wstring LastError(IDispatch* o) { return PropGet(o, L"wstrLastErrorMessage").value.Str(); }

}  // namespace zunda::test
