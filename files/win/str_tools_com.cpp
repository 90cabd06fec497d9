#include "files/win/str_tools_com.h"

#include "server/core/failure.h"

namespace zunda {

namespace {

// A BSTR made from 8-bit text, freed at the end of the call.
class TempBstr {
public:
    explicit TempBstr(std::string_view text) : b_(AnsiToBstr(text)) {
        if (!b_) throw std::bad_alloc();
    }
    ~TempBstr() { SysFreeString(b_); }
    TempBstr(const TempBstr&) = delete;
    TempBstr& operator=(const TempBstr&) = delete;
    operator BSTR() const { return b_; }

private:
    BSTR b_;
};

// One 8-bit character as the wide, NUL-terminated text a character pointer takes.
std::wstring WideChar(char c) {
    wchar_t w = 0;
    if (MultiByteToWideChar(CP_ACP, 0, &c, 1, &w, 1) != 1) w = static_cast<unsigned char>(c);
    return std::wstring(1, w);
}

std::string TakeAnsi(BSTR b) {
    std::string out = ToAnsi(b);
    SysFreeString(b);
    return out;
}

}  // namespace

void ComStrTools::Create() {
    try {
        object_ = CreateLibraryObject<IMxStrUtils>(CLSID_MxStrUtils);
    } catch (const std::exception& e) {
        object_.Reset();
        creationError_ = e.what();
    }
}

IMxStrUtils* ComStrTools::Need() const {
    if (!object_) throw Failure(creationError_);
    return object_.Get();
}

std::string ComStrTools::Replace(std::string_view text, char from, char to) {
    IMxStrUtils* s = Need();
    std::wstring f = WideChar(from), t = WideChar(to);
    return TakeAnsi(s->StrReplace(TempBstr(text), f.data(), t.data()));
}

std::string ComStrTools::GetToken(std::string_view text, std::string_view sep, long position) {
    IMxStrUtils* s = Need();
    return TakeAnsi(s->StrGetToken(TempBstr(text), TempBstr(sep), position));
}

bool ComStrTools::TokenExists(std::string_view text, std::string_view sep) {
    IMxStrUtils* s = Need();
    return s->StrTokenExists(TempBstr(text), TempBstr(sep)) != VARIANT_FALSE;
}

long ComStrTools::LastPos(char c, std::string_view text) {
    IMxStrUtils* s = Need();
    std::wstring w = WideChar(c);
    return s->StrLastPos(w.data(), TempBstr(text));
}

}  // namespace zunda
