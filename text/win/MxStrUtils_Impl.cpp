// MxStrUtils: text tests, edits and token functions for scripts and for the
// library's other objects. Most members return their value directly.
#include "server/win/frame.h"
#include "text/core/compress_text.h"
#include "text/core/strutils.h"
#include "text/core/tokens.h"
#include "text/win/locale_win32.h"
#include "text/win/text_com.h"

namespace zunda {

class TMxStrUtils final : public Object<TMxStrUtils, IMxStrUtils> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxStrUtils, &IID_IMxStrUtils, &DIID_IMxEvents, L"Zunda.MxStrUtils",
                                     "MxStrUtils", ErrorEvent::ModuleProcedureMessage, true};

    // ---------------------------------------------------------------- conversions
    VARIANT_BOOL STDMETHODCALLTYPE StrToBool(BSTR wStrText) override {
        return Direct(nullptr, VARIANT_FALSE, [&] { return ToVariantBool(text::StrToBool(ToAnsi(wStrText))); });
    }
    BSTR STDMETHODCALLTYPE BoolToStr(VARIANT_BOOL boBool) override {
        return Direct(nullptr, kNoText, [&] { return Bstr::FromAnsi(text::BoolToStr(boBool != 0)); });
    }

    // ---------------------------------------------------------------- character classes
    VARIANT_BOOL STDMETHODCALLTYPE CharIsAlphaNum(LPWSTR lpChar) override {
        return Direct("CharIsAlphaNum", VARIANT_FALSE,
                      [&] { return ToVariantBool(text::CharIsAlphaNum(SystemLocale(), FirstChar(lpChar))); });
    }
    VARIANT_BOOL STDMETHODCALLTYPE CharIsAlpha(LPWSTR lpChar) override {
        return Direct("CharIsAlpha", VARIANT_FALSE,
                      [&] { return ToVariantBool(text::CharIsAlpha(SystemLocale(), FirstChar(lpChar))); });
    }
    VARIANT_BOOL STDMETHODCALLTYPE CharIsNumber(LPWSTR lpChar) override {
        return Direct("CharIsNumber", VARIANT_FALSE,
                      [&] { return ToVariantBool(text::CharIsNumber(SystemLocale(), FirstChar(lpChar))); });
    }
    VARIANT_BOOL STDMETHODCALLTYPE CharIsSign(LPWSTR lpChar) override {
        return Direct("CharIsSign", VARIANT_FALSE,
                      [&] { return ToVariantBool(text::CharIsSign(SystemLocale(), FirstChar(lpChar))); });
    }

    // ---------------------------------------------------------------- edits
    BSTR STDMETHODCALLTYPE StrAddChar(BSTR wStrText, LPWSTR lpChar) override {
        return Direct("StrAddChar", kNoText,
                      [&] { return Bstr::FromWide(text::StrAddChar(U16View(wStrText), FirstChar(lpChar))); });
    }
    BSTR STDMETHODCALLTYPE StrReplace(BSTR wStrText, LPWSTR lpFrom, LPWSTR lpTo) override {
        return Direct("StrReplace", kNoText, [&] {
            return Bstr::FromWide(text::StrReplace(U16View(wStrText), FirstChar(lpFrom), FirstChar(lpTo)));
        });
    }
    VARIANT_BOOL STDMETHODCALLTYPE StrContains(BSTR wstrSearchString, BSTR wStrText) override {
        return Direct("StrContains", VARIANT_FALSE,
                      [&] { return ToVariantBool(text::StrContains(U16View(wstrSearchString), U16View(wStrText))); });
    }
    BSTR STDMETHODCALLTYPE StrDeleteChar(BSTR wStrText, LPWSTR lpChar) override {
        return Direct("StrDeleteChar", kNoText,
                      [&] { return Bstr::FromWide(text::StrDeleteChar(U16View(wStrText), FirstChar(lpChar))); });
    }

    // ---------------------------------------------------------------- whole-string tests
    VARIANT_BOOL STDMETHODCALLTYPE StrIsAlpha(BSTR wStrText) override {
        return Direct("StrIsAlpha", VARIANT_FALSE,
                      [&] { return ToVariantBool(text::StrIsAlpha(SystemLocale(), U16View(wStrText))); });
    }
    VARIANT_BOOL STDMETHODCALLTYPE StrIsAlphaNum(BSTR wStrText) override {
        return Direct("StrIsAlphaNum", VARIANT_FALSE,
                      [&] { return ToVariantBool(text::StrIsAlphaNum(SystemLocale(), U16View(wStrText))); });
    }
    VARIANT_BOOL STDMETHODCALLTYPE StrIsNumber(BSTR wStrText) override {
        return Direct("StrIsNumber", VARIANT_FALSE,
                      [&] { return ToVariantBool(text::StrIsNumber(SystemLocale(), U16View(wStrText))); });
    }
    TYP_String STDMETHODCALLTYPE StrIsTyp(BSTR wStrText) override {
        return Direct("StrIsTyp", tsUnknown,
                      [&] { return static_cast<TYP_String>(text::StrIsTyp(SystemLocale(), U16View(wStrText))); });
    }
    LONG STDMETHODCALLTYPE StrLastPos(LPWSTR lpSearchChar, BSTR wStrText) override {
        return Direct("StrLastPos", 0L,
                      [&] { return static_cast<LONG>(text::StrLastPos(FirstChar(lpSearchChar), U16View(wStrText))); });
    }

    // ---------------------------------------------------------------- tokens
    BSTR STDMETHODCALLTYPE StrGetToken(BSTR wStrText, BSTR wstrSeperator, LONG iPosition) override {
        return Direct("StrGetToken", kNoText, [&] {
            return Bstr::FromWide(text::StrGetToken(U16View(wStrText), U16View(wstrSeperator), iPosition));
        });
    }
    BSTR STDMETHODCALLTYPE StrDeleteToken(BSTR wStrText, BSTR wstrSeperator, LONG iPosition) override {
        return Direct("StrDeleteToken", kNoText, [&] {
            return Bstr::FromWide(text::StrDeleteToken(U16View(wStrText), U16View(wstrSeperator), iPosition));
        });
    }
    BSTR STDMETHODCALLTYPE StrInsertToken(BSTR wStrText, BSTR wstrSeperator, LONG iPosition,
                                          BSTR wstrInsertText) override {
        return Direct("StrInsertToken", kNoText, [&] {
            return Bstr::FromWide(
                text::StrInsertToken(U16View(wStrText), U16View(wstrSeperator), iPosition, U16View(wstrInsertText)));
        });
    }
    BSTR STDMETHODCALLTYPE StrSetToken(BSTR wStrText, BSTR wstrSeperator, LONG iPosition, BSTR wstrNewText) override {
        return Direct("StrSetToken", kNoText, [&] {
            return Bstr::FromWide(
                text::StrSetToken(U16View(wStrText), U16View(wstrSeperator), iPosition, U16View(wstrNewText)));
        });
    }
    VARIANT_BOOL STDMETHODCALLTYPE StrTokenExists(BSTR wStrText, BSTR wstrSeperator) override {
        return Direct("StrTokenExists", VARIANT_FALSE, [&] {
            return ToVariantBool(text::StrTokenExists(U16View(wStrText), U16View(wstrSeperator)));
        });
    }
    LONG STDMETHODCALLTYPE StrHowManyToken(BSTR wStrText, BSTR wstrSeperator) override {
        return Direct("StrHowManyToken", 0L, [&] {
            return static_cast<LONG>(text::StrHowManyToken(U16View(wStrText), U16View(wstrSeperator)));
        });
    }

    // ---------------------------------------------------------------- unguarded edits
    BSTR STDMETHODCALLTYPE StrLeft(BSTR wStrText, LONG iLength) override {
        return Direct(nullptr, kNoText, [&] { return Bstr::FromWide(text::StrLeft(U16View(wStrText), iLength)); });
    }
    BSTR STDMETHODCALLTYPE StrRight(BSTR wStrText, LONG iLength) override {
        return Direct(nullptr, kNoText, [&] { return Bstr::FromWide(text::StrRight(U16View(wStrText), iLength)); });
    }
    BSTR STDMETHODCALLTYPE StrTrimNull(BSTR wStrText) override {
        return Direct(nullptr, kNoText, [&] { return Bstr::FromWide(text::StrTrimNull(U16View(wStrText))); });
    }
    BSTR STDMETHODCALLTYPE StrTrimEx(BSTR wStrText, BSTR wstrSeperator) override {
        return Direct(nullptr, kNoText,
                      [&] { return Bstr::FromWide(text::StrTrimEx(U16View(wStrText), U16View(wstrSeperator))); });
    }
    BSTR STDMETHODCALLTYPE StrTrimRightEx(BSTR wStrText, BSTR wstrSeperator) override {
        return Direct(nullptr, kNoText,
                      [&] { return Bstr::FromWide(text::StrTrimRightEx(U16View(wStrText), U16View(wstrSeperator))); });
    }
    BSTR STDMETHODCALLTYPE StrTrimLeftEx(BSTR wStrText, BSTR wstrSeperator) override {
        return Direct(nullptr, kNoText,
                      [&] { return Bstr::FromWide(text::StrTrimLeftEx(U16View(wStrText), U16View(wstrSeperator))); });
    }
    BSTR STDMETHODCALLTYPE StrCompress(BSTR wStrText, VARIANT_BOOL boCrypt) override {
        return Direct(nullptr, kNoText,
                      [&] { return Bstr::FromWide(text::CompressText(SystemLocale(), U16View(wStrText), boCrypt != 0)); });
    }
    BSTR STDMETHODCALLTYPE StrDeCompress(BSTR wStrText, VARIANT_BOOL boCrypt) override {
        return Direct(nullptr, kNoText,
                      [&] { return Bstr::FromWide(text::DecompressText(SystemLocale(), U16View(wStrText), boCrypt != 0)); });
    }
    VARIANT_BOOL STDMETHODCALLTYPE StrBetween(BSTR wStrText, BSTR wstrFrom, BSTR wstrTo) override {
        return Direct(nullptr, VARIANT_FALSE, [&] {
            return ToVariantBool(text::StrBetween(U16View(wStrText), U16View(wstrFrom), U16View(wstrTo)));
        });
    }
    BSTR STDMETHODCALLTYPE StrDelete(BSTR wStrText, BSTR wstrDelete) override {
        return Direct(nullptr, kNoText,
                      [&] { return Bstr::FromWide(text::StrDelete(U16View(wStrText), U16View(wstrDelete))); });
    }
    BSTR STDMETHODCALLTYPE Copy2Symb(BSTR wStrText, BSTR wstrSymb) override {
        return Direct(nullptr, kNoText, [&] {
            return Bstr::FromAnsi(text::Copy2Symb(SystemLocale(), ToAnsi(wStrText), ToAnsi(wstrSymb)));
        });
    }
    STDMETHODIMP CopyAfterSymb(BSTR wstrString, BSTR wstrSymb, BSTR* Value) override {
        return Get(Value, [&] {
            return Bstr::FromAnsi(text::CopyAfterSymb(SystemLocale(), ToAnsi(wstrString), ToAnsi(wstrSymb)));
        });
    }
    STDMETHODIMP StrReplaceEx(BSTR wStrText, BSTR wstrFrom, BSTR wstrTo, BSTR* Value) override {
        return Get(Value, [&] {
            return Bstr::FromAnsi(
                text::StrReplaceEx(SystemLocale(), ToAnsi(wStrText), ToAnsi(wstrFrom), ToAnsi(wstrTo)));
        });
    }

private:
    static constexpr BSTR kNoText = nullptr;  // the failure value of text results: an empty string
};

ZUNDA_CLASS(TMxStrUtils);

}  // namespace zunda
