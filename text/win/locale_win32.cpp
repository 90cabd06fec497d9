#include "text/win/locale_win32.h"

#include <windows.h>

#include <vector>

namespace zunda {
namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
    char buf[128];
    int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
    if (n <= 1) return fallback;
    return std::string(buf, static_cast<size_t>(n - 1));
}

class Win32Locale final : public Locale {
public:
    Win32Locale() : byteOf_(65536, -1) {
        CPINFO cp = {};
        singleByte_ = !GetCPInfo(CP_ACP, &cp) || cp.MaxCharSize == 1;
        for (int b = 0; b < 256; ++b) {
            char c = static_cast<char>(b);
            WORD type = 0;
            classes_[b] = GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, &c, 1, &type) ? type : 0;
            // The character each single byte stands for; a byte that is only
            // the first half of a double-byte character stands for none.
            if (!singleByte_ && IsDBCSLeadByte(static_cast<BYTE>(b))) continue;
            wchar_t w = 0;
            if (MultiByteToWideChar(CP_ACP, 0, &c, 1, &w, 1) == 1 && byteOf_[w] < 0)
                byteOf_[w] = static_cast<short>(b);
        }
    }

    std::uint16_t ByteClass(unsigned char byte) const override { return classes_[byte]; }

    std::optional<unsigned char> ToByte(char16_t ch) const override {
        short b = byteOf_[ch];
        if (b < 0) return std::nullopt;
        return static_cast<unsigned char>(b);
    }

    std::string ToAnsi(std::u16string_view text) const override {
        if (text.empty()) return std::string();
        const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
        int len = static_cast<int>(text.size());
        int n = WideCharToMultiByte(CP_ACP, 0, w, len, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
        if (n > 0) WideCharToMultiByte(CP_ACP, 0, w, len, out.data(), n, nullptr, nullptr);
        return out;
    }

    std::u16string FromAnsi(std::string_view text) const override {
        if (text.empty()) return std::u16string();
        int len = static_cast<int>(text.size());
        int n = MultiByteToWideChar(CP_ACP, 0, text.data(), len, nullptr, 0);
        std::u16string out(static_cast<size_t>(n > 0 ? n : 0), u'\0');
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), len, reinterpret_cast<wchar_t*>(out.data()), n);
        return out;
    }

    std::string UpperCase(std::string_view text) const override {
        std::string out(text);
        if (!out.empty()) CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
        return out;
    }

    int CompareNoCase(std::string_view a, std::string_view b) const override {
        int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                               static_cast<int>(b.size()));
        if (r == 0) return a.compare(b);  // the comparison itself failed: fall back to the bytes
        return r - CSTR_EQUAL;
    }

    bool SingleByteCodePage() const override { return singleByte_; }

    std::string DecimalSeparator() const override { return LocaleText(LOCALE_SDECIMAL, "."); }
    std::string ShortDateFormat() const override { return LocaleText(LOCALE_SSHORTDATE, "M/d/yyyy"); }
    std::string DateSeparator() const override { return LocaleText(LOCALE_SDATE, "/"); }
    std::string LongTimeFormat() const override { return LocaleText(LOCALE_STIMEFORMAT, "HH:mm:ss"); }

private:
    std::uint16_t classes_[256] = {};
    std::vector<short> byteOf_;
    bool singleByte_ = true;
};

// Builds the tables while the library loads, before any object exists.
[[maybe_unused]] const Locale& kLoaded = SystemLocale();

}  // namespace

const Locale& SystemLocale() {
    static const Win32Locale locale;
    return locale;
}

}  // namespace zunda
