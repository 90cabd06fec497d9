#include "files/win/str_tools_com.h"

#include "server/core/failure.h"

namespace zunda {

namespace {

// One 8-bit character as the wide, NUL-terminated text a character pointer takes.
std::wstring WideChar(char c) {
    wchar_t w = 0;
    if (MultiByteToWideChar(CP_ACP, 0, &c, 1, &w, 1) != 1) w = static_cast<unsigned char>(c);
    return std::wstring(1, w);
}

// A text result of a member that returns its value directly.
std::string TakeAnsi(BSTR b) { return Bstr(b).Ansi(); }

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
    return TakeAnsi(s->StrReplace(Bstr::FromAnsi(text), f.data(), t.data()));
}

std::string ComStrTools::GetToken(std::string_view text, std::string_view sep, long position) {
    IMxStrUtils* s = Need();
    return TakeAnsi(s->StrGetToken(Bstr::FromAnsi(text), Bstr::FromAnsi(sep), position));
}

bool ComStrTools::TokenExists(std::string_view text, std::string_view sep) {
    IMxStrUtils* s = Need();
    return s->StrTokenExists(Bstr::FromAnsi(text), Bstr::FromAnsi(sep)) != VARIANT_FALSE;
}

long ComStrTools::LastPos(char c, std::string_view text) {
    IMxStrUtils* s = Need();
    std::wstring w = WideChar(c);
    return s->StrLastPos(w.data(), Bstr::FromAnsi(text));
}

}  // namespace zunda
