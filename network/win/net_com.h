// Pieces the network classes share: an owned BSTR for arguments, and an
// ordered list of counted references handed out by index with the list's
// index error.
#pragma once

#include "server/core/failure.h"
#include "server/win/com_util.h"

#include <new>
#include <string>
#include <vector>

namespace zunda::netcom {

class Bstr {
public:
    explicit Bstr(std::string_view ansi) : s_(AnsiToBstr(ansi)) {
        if (!s_) throw std::bad_alloc();
    }
    explicit Bstr(std::wstring_view wide) : s_(WideToBstr(wide)) {
        if (!s_) throw std::bad_alloc();
    }
    Bstr() = default;
    ~Bstr() { SysFreeString(s_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return s_; }
    BSTR* Put() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }

private:
    BSTR s_ = nullptr;
};

// A new BSTR of the text; throws when memory runs out.
inline BSTR NewBstr(std::wstring_view text) {
    BSTR s = WideToBstr(text);
    if (!s) throw std::bad_alloc();
    return s;
}
inline BSTR NewBstr(std::string_view ansi) {
    BSTR s = AnsiToBstr(ansi);
    if (!s) throw std::bad_alloc();
    return s;
}

// The text in the system code page; false when the code page cannot hold it
// exactly (a character was replaced or mapped to a look-alike).
inline bool ExactAnsi(BSTR text, std::string& ansi) {
    ansi = ToAnsi(text);
    const BSTR back = AnsiToBstr(ansi);
    if (!back) throw std::bad_alloc();
    const bool exact = BstrView(back) == BstrView(text);
    SysFreeString(back);
    return exact;
}

// "Listenindex überschreitet das Maximum (<index>)" in the system code page.
inline std::string ListIndexMessage(long index) {
    const std::wstring text = L"Listenindex \u00FCberschreitet das Maximum (" + std::to_wstring(index) + L")";
    return ToAnsi(text.c_str(), text.size());
}

template <class I>
class RefList {
public:
    long Count() const { return static_cast<long>(items_.size()); }
    // A new reference to the listed object; Failure outside 0 .. Count() - 1.
    I* At(long index) const {
        if (index < 0 || index >= Count()) throw Failure(ListIndexMessage(index));
        return items_[static_cast<std::size_t>(index)].Copy();
    }
    void Append(ComPtr<I> item) { items_.push_back(std::move(item)); }
    void Clear() {
        while (!items_.empty()) items_.pop_back();  // last to first
    }

private:
    std::vector<ComPtr<I>> items_;
};

}  // namespace zunda::netcom
