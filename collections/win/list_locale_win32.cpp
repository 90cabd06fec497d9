#include "collections/win/list_locale_win32.h"

#include "server/win/com_util.h"

#include <cstring>

namespace zunda {

namespace {

class Win32ListLocale final : public core::ListLocale {
public:
    int CompareNoCase(std::string_view a, std::string_view b) const override {
        const char* pa = a.empty() ? "" : a.data();
        const char* pb = b.empty() ? "" : b.data();
        int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, pa, static_cast<int>(a.size()), pb,
                               static_cast<int>(b.size()));
        if (r != 0) return r - CSTR_EQUAL;
        // The comparison itself failed: fall back to the bytes so the order stays total.
        int c = std::memcmp(pa, pb, a.size() < b.size() ? a.size() : b.size());
        if (c != 0) return c;
        return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    }
    std::string FromUtf16(std::u16string_view text) const override {
        return ToAnsi(reinterpret_cast<const wchar_t*>(text.data()), text.size());
    }
};

const Win32ListLocale kLocale;

}  // namespace

const core::ListLocale& SystemListLocale() { return kLocale; }

}  // namespace zunda
