#include "server/win/com_util.h"

#include "server/core/exact_name.h"
#include "server/core/failure.h"

#include <climits>
#include <new>

namespace zunda {

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out;
    if (n && text) {
        out.assign(text, n);
        LocalFree(text);
        while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' ')) out.pop_back();
    }
    if (out.empty()) {
        char buf[64];
        wsprintfA(buf, "Error 0x%08lX.", static_cast<unsigned long>(code));
        out = buf;
    }
    return out;
}

void ThrowSystemError(DWORD code, std::string_view context) {
    std::string text(context);
    text += SystemMessage(code);
    throw Failure(text);
}

void ThrowLastError(std::string_view context) { ThrowSystemError(GetLastError(), context); }

void Check(HRESULT hr) {
    if (FAILED(hr)) throw ComError(hr, SystemMessage(static_cast<DWORD>(hr)));
}

namespace {

// UTF-16 to the system code page with the conversion flags given; false when
// the system refuses them or the text. usedDefault (optional) tells whether
// a character had no equivalent.
bool Narrow(const wchar_t* text, int length, DWORD flags, std::string& out, BOOL* usedDefault) {
    int n = WideCharToMultiByte(CP_ACP, flags, text, length, nullptr, 0, nullptr, usedDefault);
    if (n <= 0) return false;
    out.resize(static_cast<size_t>(n));
    n = WideCharToMultiByte(CP_ACP, flags, text, length, out.data(), n, nullptr, usedDefault);
    out.resize(static_cast<size_t>(n > 0 ? n : 0));
    return n > 0;
}

}  // namespace

std::string ToAnsi(const wchar_t* text, size_t length) {
    std::string out;
    if (text && length > 0) Narrow(text, static_cast<int>(length), 0, out, nullptr);
    return out;
}

std::string ToAnsiName(const wchar_t* text, size_t length) {
    if (!text || length == 0) return std::string();
    if (length > INT_MAX / 4) throw Failure("The name is too long.");
    const int in = static_cast<int>(length);
    BOOL usedDefault = FALSE;
    std::string out;
    if (!Narrow(text, in, WC_NO_BEST_FIT_CHARS, out, &usedDefault)) {
        // Code pages that take no flags (UTF-8 among them): the read-back
        // comparison below still tells whether the conversion was exact.
        usedDefault = FALSE;
        if (!Narrow(text, in, 0, out, nullptr)) throw Failure(InexactNameMessage(ToAnsi(text, length)));
    }
    const std::u16string_view original(reinterpret_cast<const char16_t*>(text), length);
    if (!ConvertedExactly(original, U16View(Bstr::FromAnsi(out)), usedDefault != FALSE))
        throw Failure(InexactNameMessage(out));
    return out;
}

Bstr Bstr::FromWide(std::wstring_view text) {
    BSTR out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!out) throw std::bad_alloc();
    return Bstr(out);
}

Bstr Bstr::FromAnsi(std::string_view text) {
    if (text.empty()) return FromWide(std::wstring_view());
    // cppcheck-suppress invalidLifetime ; out owns the string it writes into
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    Bstr out(SysAllocStringLen(nullptr, static_cast<UINT>(n > 0 ? n : 0)));
    if (!out.b_) throw std::bad_alloc();
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.b_, n);
    return out;
}

}  // namespace zunda
